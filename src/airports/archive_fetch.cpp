#include "airports/archive_fetch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

#include "airports/archive_fetch_test_hook.h"
#include "foundation/curl_handle.h"
#include "foundation/log.h"
#include "foundation/stop_flags.h"
#include "foundation/time.h"
#include "liveries/download.h"

namespace zrb {

namespace {

// How long one answer of the site for an archive file (the file is there, or
// the site says it is not) is kept.
constexpr Seconds archiveAnswerLifetime = 30 * 60;
// A failure is not asked again for a while, twice as long after each further
// one: a busy site would otherwise be asked by every user every 16 s.
constexpr Seconds firstFailureBackOff = 2 * 60;
constexpr Seconds maxFailureBackOff = 30 * 60;
// The fetcher looks at the stop flags at least this often while it waits.
constexpr auto fetcherWaitStep = std::chrono::seconds(1);
// A check asks for two or three files at most; more requests than this are
// asked again at a later check.
constexpr std::size_t maxRequests = 16;
// The files kept for the run: the park airport's and its neighbours', the
// least lately used going first. Beyond the bytes only the file just fetched
// stays (a check holds on to the text it looked up itself).
constexpr std::size_t maxKeptFiles = 8;
constexpr std::size_t maxKeptBytes = 64U * 1024U * 1024U;

// ---------------------------------------------------------------- the site's answers

enum class ArchiveState { there, notThere, failed };
// What is known of an archive URL. The failures count until the file came
// whole or the site said it has none: the probe's yes alone does not end
// them, since the download that follows may fail again.
struct ArchiveRecord {
    ArchiveState state = ArchiveState::failed;
    Seconds when = 0;
    Seconds keptFor = 0;
    std::uint32_t failures = 0;
};
std::mutex g_archiveRecordMutex;  // owns g_archiveRecords
// By the URL; a failure is also kept under the archive base, so that one
// request, not one per airport, finds out that the site does not answer.
std::map<std::string, ArchiveRecord> g_archiveRecords;

// A clock set back ends the record: it must not hold for ever.
bool lf_holds(const ArchiveRecord& record, Seconds now) {
    return now >= record.when && now - record.when < record.keptFor;
}

Seconds lf_backOff(std::uint32_t failures) {
    Seconds backOff = firstFailureBackOff;
    for (std::uint32_t i = 1; i < failures && backOff < maxFailureBackOff; ++i) backOff *= 2;
    return std::min(backOff, maxFailureBackOff);
}

// The URL's kept state: failed while the whole site is backed off.
std::optional<ArchiveState> lf_keptState(const std::string& url) {
    const Seconds now = gf_systemNow();
    const std::string site = gf_downloadBaseUrl();
    std::lock_guard lock(g_archiveRecordMutex);
    for (const std::string& key : {site, url})
        if (const auto it = g_archiveRecords.find(key); it != g_archiveRecords.end() && lf_holds(it->second, now))
            return it->second.state;
    return std::nullopt;
}

// Keeps what came of a probe or a download. A stop ends a transfer without
// the site's fault: it is not kept.
void lf_keep(const std::string& url, DownloadResult result, bool endsFailures) {
    if (result == DownloadResult::failed && gf_stopUnderWay()) return;
    const Seconds now = gf_systemNow();
    const std::string site = gf_downloadBaseUrl();
    std::lock_guard lock(g_archiveRecordMutex);
    if (result != DownloadResult::failed) {
        ArchiveRecord& record = g_archiveRecords[url];
        record.state = result == DownloadResult::done ? ArchiveState::there : ArchiveState::notThere;
        record.when = now;
        record.keptFor = archiveAnswerLifetime;
        if (endsFailures) record.failures = 0;
        g_archiveRecords.erase(site);  // the site answers
        return;
    }
    for (const std::string& key : {url, site}) {
        ArchiveRecord& record = g_archiveRecords[key];
        record.state = ArchiveState::failed;
        record.when = now;
        if (record.failures < std::numeric_limits<std::uint32_t>::max()) ++record.failures;
        record.keptFor = lf_backOff(record.failures);
    }
}

// ---------------------------------------------------------------- the fetcher

struct FetchRequest {
    std::string url;
    bool wholeFile = false;  // else a probe
    bool operator==(const FetchRequest&) const = default;
};

struct KeptFile {
    std::string url;
    std::shared_ptr<const std::string> text;
};

// Owns everything below.
std::mutex g_archiveFetchMutex;
// A plain condition variable, woken by the stop: a wait that takes the stop
// token registers a stop callback, whose removal while the stop runs it waits
// on a semaphore that MinGW's libstdc++ 12 may never wake (the end of a run
// then hung in the join).
std::condition_variable g_fetchWake;
std::deque<FetchRequest> g_requests;
std::optional<FetchRequest> g_inFlight;
std::deque<KeptFile> g_keptFiles;  // least lately used first
// Counts the Re-reads: an answer to a request of before one is not kept.
std::uint64_t g_generation = 0;
// Started by the first request of a run, stopped and joined at its end.
std::jthread g_fetcher;
// The fetcher's loop was left by an exception: the next request joins the
// thread and starts another.
bool g_fetcherEnded = false;

std::atomic<ArchiveServeHook> g_serveHook{nullptr};

// g_archiveFetchMutex held. The kept file, now the latest used.
std::shared_ptr<const std::string> lf_keptFile(const std::string& url) {
    const auto it = std::find_if(g_keptFiles.begin(), g_keptFiles.end(),
                                 [&url](const KeptFile& f) { return f.url == url; });
    if (it == g_keptFiles.end()) return nullptr;
    KeptFile file = std::move(*it);
    g_keptFiles.erase(it);
    g_keptFiles.push_back(std::move(file));
    return g_keptFiles.back().text;
}

// g_archiveFetchMutex held. What a file holds is its capacity: a text grown
// in a stream may hold up to twice its size.
void lf_keepFile(const std::string& url, std::string text) {
    std::erase_if(g_keptFiles, [&url](const KeptFile& f) { return f.url == url; });
    text.shrink_to_fit();
    g_keptFiles.push_back(KeptFile{url, std::make_shared<const std::string>(std::move(text))});
    std::size_t bytes = 0;
    for (const KeptFile& f : g_keptFiles) bytes += f.text->capacity();
    while (g_keptFiles.size() > maxKeptFiles || (bytes > maxKeptBytes && g_keptFiles.size() > 1)) {
        bytes -= g_keptFiles.front().text->capacity();
        g_keptFiles.pop_front();
    }
}

// Answered while it waited, above all by the site's failure at the request
// before it: a site that does not answer is asked once, not once per airport.
bool lf_answeredMeanwhile(const FetchRequest& request) {
    const auto kept = lf_keptState(request.url);
    return kept && (!request.wholeFile || *kept != ArchiveState::there);
}

DownloadResult lf_serve(const FetchRequest& request, std::string& text, const std::stop_token& stop) {
    if (const ArchiveServeHook hook = g_serveHook.load(); hook != nullptr) hook(request.url);
    const CurlHandle handle(curl_easy_init());
    if (request.wholeFile) return gf_curlDownloadText(handle.get(), request.url, text, stop);
    return gf_curlProbe(handle.get(), request.url, stop);
}

void lf_fetcherMain(const std::stop_token& stop) {
    try {
        std::unique_lock lock(g_archiveFetchMutex);
        while (!stop.stop_requested()) {
            // While a run ends nothing new is asked.
            if (!g_fetchWake.wait_for(lock, fetcherWaitStep, [&stop] {
                    return stop.stop_requested() || (!g_requests.empty() && !gf_stopUnderWay());
                }))
                continue;
            if (stop.stop_requested()) break;
            const FetchRequest request = g_requests.front();
            g_requests.pop_front();
            if (lf_answeredMeanwhile(request)) continue;
            g_inFlight = request;
            const std::uint64_t generation = g_generation;
            lock.unlock();
            std::string text;
            const DownloadResult result = lf_serve(request, text, stop);
            lock.lock();
            g_inFlight.reset();
            // An answer asked for before a Re-read, or cut short by the end of
            // the run, is none of the site's.
            if (generation != g_generation || stop.stop_requested()) continue;
            lf_keep(request.url, result, request.wholeFile || result == DownloadResult::notFound);
            if (request.wholeFile && result == DownloadResult::done) lf_keepFile(request.url, std::move(text));
        }
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "archive fetcher", e.what());
    } catch (...) {
        gf_logMarked("{}: {}", "archive fetcher", "Unknown exception");
    }
    // Left by an exception: what it served is asked again by the next check.
    // (A thread that closing down already took over is none of this one's.)
    if (stop.stop_requested()) return;
    std::lock_guard lock(g_archiveFetchMutex);
    if (g_fetcher.get_id() != std::this_thread::get_id()) return;
    g_inFlight.reset();
    g_fetcherEnded = true;
}

// g_archiveFetchMutex held. Asks for it unless it is asked already.
void lf_ask(const FetchRequest& request) {
    if (g_inFlight == request || std::find(g_requests.begin(), g_requests.end(), request) != g_requests.end()) return;
    if (g_requests.size() >= maxRequests) return;
    g_requests.push_back(request);
    if (g_fetcherEnded) {
        g_fetcher.join();  // it has left its loop and holds nothing
        g_fetcherEnded = false;
    }
    if (!g_fetcher.joinable()) g_fetcher = std::jthread([](std::stop_token stop) { lf_fetcherMain(stop); });
    g_fetchWake.notify_one();
}

}  // namespace

ArchiveAnswer gf_archiveAnswer(const std::string& url) {
    std::lock_guard lock(g_archiveFetchMutex);
    if (lf_keptFile(url)) return ArchiveAnswer::yes;
    if (const auto kept = lf_keptState(url))
        return *kept == ArchiveState::there ? ArchiveAnswer::yes : ArchiveAnswer::no;
    lf_ask(FetchRequest{url, false});
    return ArchiveAnswer::onItsWay;
}

ArchiveFile gf_archiveFile(const std::string& url) {
    std::lock_guard lock(g_archiveFetchMutex);
    if (auto text = lf_keptFile(url)) return ArchiveFile{ArchiveAnswer::yes, std::move(text)};
    if (const auto kept = lf_keptState(url); kept && *kept != ArchiveState::there)
        return ArchiveFile{ArchiveAnswer::no, {}};
    lf_ask(FetchRequest{url, true});
    return ArchiveFile{ArchiveAnswer::onItsWay, {}};
}

bool gf_downloadArchived(const std::string& url, const std::filesystem::path& localFile) {
    if (const auto kept = lf_keptState(url); kept && *kept != ArchiveState::there) return false;
    const CurlHandle handle(curl_easy_init());
    const DownloadResult result = gf_curlDownloadResult(handle.get(), url, localFile, false);
    lf_keep(url, result, true);
    return result == DownloadResult::done;
}

void gf_forgetArchiveProbes() {
    std::lock_guard lock(g_archiveFetchMutex);
    ++g_generation;
    g_requests.clear();
    g_keptFiles.clear();
    std::lock_guard records(g_archiveRecordMutex);
    g_archiveRecords.clear();
}

void gf_stopArchiveFetcher() {
    std::jthread fetcher;
    {
        std::lock_guard lock(g_archiveFetchMutex);
        fetcher = std::move(g_fetcher);
        g_fetcherEnded = false;
        g_requests.clear();
    }
    if (fetcher.joinable()) {
        fetcher.request_stop();
        // Taken once after the stop: the fetcher is then either waiting, and
        // woken, or yet to look at the stop.
        { std::lock_guard lock(g_archiveFetchMutex); }
        g_fetchWake.notify_all();
        fetcher.join();
    }
    std::lock_guard lock(g_archiveFetchMutex);
    g_inFlight.reset();  // an exception may have left it set
    g_keptFiles.clear();
}

void gf_setArchiveServeHookForTest(ArchiveServeHook hook) { g_serveHook.store(hook); }

}  // namespace zrb
