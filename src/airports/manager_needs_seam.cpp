// The planner's least form: nothing is planned, so no parking is wanted.
#include "airports/manager_needs_seam.h"

namespace zrb {

std::vector<PendingParking> PendingParkingList;

std::int32_t lf_calcWantedStatic() { return 0; }

}  // namespace zrb
