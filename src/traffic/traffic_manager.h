#pragma once
// Everything a run calls of the traffic manager, in one include: the pass and
// the resets, notices, flight plans, removal rules, livery bookkeeping, the
// views the shell's per-second rules read, and the parts still in their least
// form (static parking, static doubles and parked live aircraft); the stand
// searches and the parking observations the planner uses.

#include "traffic/feed_intake.h"
#include "traffic/flight_plans.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/ghosts_and_respawn.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/manager_views.h"
#include "traffic/notice_processing.h"
#include "traffic/removal.h"
#include "traffic/stand_observations.h"
#include "traffic/stand_search.h"
#include "traffic/static_aircraft_seam.h"
#include "traffic/static_parking_seam.h"
#include "traffic/traffic_pass.h"
