#pragma once
// Value holders for data that several threads read and write: the current
// values of the settings and the meta header's simulator name.
//
// AtomicValue<T> reads and writes like a plain field (`int r = RANGE.value;`,
// `LOG.value = false;`) but every access is atomic. GuardedString does the same
// for text under its own mutex and hands out copies only, so a reader never sees
// a string that another thread is changing.

#include <atomic>
#include <ostream>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include <fmt/format.h>

namespace zrb {

template <typename T>
class AtomicValue {
public:
    constexpr AtomicValue(T initial) noexcept : m_value(initial) {}  // NOLINT(google-explicit-constructor)
    AtomicValue(const AtomicValue&) = delete;
    AtomicValue& operator=(const AtomicValue&) = delete;

    operator T() const noexcept { return m_value.load(); }  // NOLINT(google-explicit-constructor)
    AtomicValue& operator=(T v) noexcept {
        m_value.store(v);
        return *this;
    }
    T load() const noexcept { return m_value.load(); }
    void store(T v) noexcept { m_value.store(v); }
    T exchange(T v) noexcept { return m_value.exchange(v); }

private:
    std::atomic<T> m_value;
};

class GuardedString {
public:
    GuardedString() = default;
    explicit GuardedString(std::string text) : m_text(std::move(text)) {}
    GuardedString(const GuardedString&) = delete;
    GuardedString& operator=(const GuardedString&) = delete;

    std::string get() const {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    void set(std::string text) {
        std::lock_guard lock(m_mutex);
        m_text = std::move(text);
    }
    bool empty() const {
        std::lock_guard lock(m_mutex);
        return m_text.empty();
    }

    operator std::string() const { return get(); }  // NOLINT(google-explicit-constructor)
    GuardedString& operator=(std::string text) {
        set(std::move(text));
        return *this;
    }
    GuardedString& operator=(const char* text) {
        set(text);
        return *this;
    }
    bool operator==(std::string_view other) const {
        std::lock_guard lock(m_mutex);
        return m_text == other;
    }

private:
    mutable std::mutex m_mutex;  // owns m_text
    std::string m_text;
};

template <typename T>
std::ostream& operator<<(std::ostream& out, const AtomicValue<T>& v) {
    return out << v.load();
}

inline std::ostream& operator<<(std::ostream& out, const GuardedString& s) { return out << s.get(); }

}  // namespace zrb

template <typename T>
struct fmt::formatter<zrb::AtomicValue<T>> : fmt::formatter<T> {
    template <typename FormatContext>
    auto format(const zrb::AtomicValue<T>& v, FormatContext& ctx) const {
        return fmt::formatter<T>::format(v.load(), ctx);
    }
};

template <>
struct fmt::formatter<zrb::GuardedString> : fmt::formatter<std::string_view> {
    template <typename FormatContext>
    auto format(const zrb::GuardedString& s, FormatContext& ctx) const {
        const std::string text = s.get();
        return fmt::formatter<std::string_view>::format(text, ctx);
    }
};
