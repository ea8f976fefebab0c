#pragma once
// The live aircraft waiting for the static-doubles check of the per-second
// work: queued when one is spawned, starts an approach, touches down or
// arrives at a stand; served oldest first, one a second. Every entry leaves
// the queue when it is served, also when its aircraft is gone by then.
//
// Threads: worker thread.

#include <cstdint>
#include <optional>

namespace zrb {

void lf_queueDoublesCheck(std::uint32_t hexId);
// The oldest hex id waiting, none when the queue is empty.
std::optional<std::uint32_t> gf_checkQueueFront();
void gf_popCheckQueue();
// A new run: the queue emptied.
void lf_resetDoublesCheck();

}  // namespace zrb
