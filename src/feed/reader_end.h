#pragma once
// How a reader thread ends, shared by the two readers.

#include <atomic>
#include <cstdint>
#include <string_view>

namespace zrb {

// The end of a reader by a service status (not by its stop flag): the marked
// line by status, the other reader's stop flag, and the stop of the run
// (READER ERROR with a restart for 401, else SYSTEM ERROR).
void lf_readerEndedByStatus(std::string_view displayName, std::string_view shortName, std::int32_t status,
                            std::atomic<bool>& otherReaderStop);

// Sets a feed light of the window and repaints the status band.
void lf_setTrafficLight(std::uint32_t light);
void lf_setWeatherLight(std::uint32_t light);

// The time text of now for the log lines of the feed.
std::string lf_nowText();

}  // namespace zrb
