#pragma once
// For tests only: forgets the airport list, so that one test program can read
// several lists. Never called by the program, and never while another thread
// may read the list.

namespace zrb {

void gf_forgetAirportListForTest();

}  // namespace zrb
