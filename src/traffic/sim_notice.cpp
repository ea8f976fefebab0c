#include "traffic/sim_notice.h"

namespace zrb {

namespace {

std::vector<SimNotice> lf_makeNoticeList() {
    std::vector<SimNotice> list;
    list.reserve(g_simNoticeReserve);
    return list;
}

}  // namespace

std::mutex g_noticeMutex;
std::vector<SimNotice> g_simNotices = lf_makeNoticeList();

void gf_pushSimNotice(const SimNotice& notice) {
    std::lock_guard lock(g_noticeMutex);
    g_simNotices.push_back(notice);
}

std::vector<SimNotice> gf_takeSimNotices() {
    std::vector<SimNotice> taken = lf_makeNoticeList();
    std::lock_guard lock(g_noticeMutex);
    taken.swap(g_simNotices);
    return taken;
}

}  // namespace zrb
