#pragma once
// Everything a run calls of the traffic manager, in one include: the pass and
// the resets, notices, flight plans, removal rules, livery bookkeeping, the
// views the shell's per-second rules read, static parking and its controls'
// lock, the parked aircraft and their counts, ghosts and the doubles check;
// the stand searches and the parking observations the planner uses.

#include "traffic/coupled_callsigns.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/feed_intake.h"
#include "traffic/flight_plans.h"
#include "traffic/ghosts_and_respawn.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/manager_views.h"
#include "traffic/notice_processing.h"
#include "traffic/parked_aircraft.h"
#include "traffic/removal.h"
#include "traffic/schedule_search.h"
#include "traffic/stand_observations.h"
#include "traffic/stand_search.h"
#include "traffic/static_doubles.h"
#include "traffic/static_parking.h"
#include "traffic/traffic_pass.h"
#include "traffic/ui_lock.h"
