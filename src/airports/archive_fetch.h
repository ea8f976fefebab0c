#pragma once
// The airport files of the download archive, asked for on a thread of their
// own: the 16-second check of the park airport runs on the traffic loop,
// which must never wait on the site (a name to resolve, a connection, a
// body). The check asks for what it lacks and reads the answer at a later
// check. The fetcher serves one request at a time: a probe (does the site
// have the file) or the file itself, which is then kept for the run.
//
// What the site answered is kept as before the fetcher: the file is there or
// not, for 30 minutes; a failure (another status, the network, a time-out)
// backs off the URL and the whole site for 2 minutes, twice as long after each
// further failure, at most 30 minutes, and meanwhile nothing of the site is
// asked. A clock set back ends a record; a stop is no failure of the site;
// the user's Re-read forgets all, the kept files too. A fetcher that an
// exception ended is started again by the next request.
//
// Threads: the worker thread asks (gf_archiveAnswer, gf_archiveFile), and
// stops and joins the fetcher at the end of each run; the fetcher thread
// fetches; the add-on airport scan downloads for offline learning on its own
// thread (gf_downloadArchived). g_archiveFetchMutex owns the requests, the
// kept files and the fetcher thread, g_archiveRecordMutex the site's answers
// (archive_fetch.cpp); the first is taken before the second.

#include <filesystem>
#include <memory>
#include <string>

namespace zrb {

// What is known now of a file of the archive.
enum class ArchiveAnswer {
    yes,
    no,        // the site has no such file, or it failed lately and is backed off
    onItsWay,  // asked: a later check reads the answer
};

struct ArchiveFile {
    ArchiveAnswer answer = ArchiveAnswer::onItsWay;
    std::shared_ptr<const std::string> text;  // the whole file, when yes
};

// Worker thread. Whether the site has the file at the URL; a URL the site was
// not asked about is probed (a few seconds at most, the file not fetched).
ArchiveAnswer gf_archiveAnswer(const std::string& url);

// Worker thread. The file at the URL, fetched whole with the download limits
// and kept for the run (a few of the latest ones); no when the site said it has
// none or failures are backed off.
ArchiveFile gf_archiveFile(const std::string& url);

// Any thread but the worker's: the file at the URL downloaded into the local
// file at once, through the same answers and back-off (false without a request
// while the site's 404 is kept or a failure backs it off).
bool gf_downloadArchived(const std::string& url, const std::filesystem::path& localFile);

// Forgets every answer, back-off and kept file, and drops the requests not
// yet served (the user's Re-read): an answer still on its way is not kept.
void gf_forgetArchiveProbes();

// The end of a run: the fetcher thread stopped (a transfer ends within about
// a second) and joined, its requests and the run's files dropped. The site's
// answers stay.
void gf_stopArchiveFetcher();

}  // namespace zrb
