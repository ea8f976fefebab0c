// The schedule search's least form (see the header).
#include "traffic/schedule_search_seam.h"

namespace zrb {

void lf_searchStands(DaySlot /*time*/, std::uint32_t /*mode*/, std::uint32_t /*offset*/,
                     std::vector<PendingParking>& /*result*/) {}

void lf_searchForCoupledCsAroundThisTime(DaySlot /*time*/, LiveAc& /*aircraft*/) {}

}  // namespace zrb
