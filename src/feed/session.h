#pragma once
// The run's login step (worker thread): shows the wait, logs in on the
// Weather Reader's session handle, interprets a refusal and copies the
// session id into the Traffic Reader. RtApiClient::authenticate and
// RtApiClient::deauthenticate are the exchanges themselves.

#include <cstdint>
#include <string>

namespace zrb {

// Statuses with which the service refuses a login.
inline constexpr std::int32_t g_statusParameterFault = 400;
inline constexpr std::int32_t g_statusPaymentRequired = 402;
inline constexpr std::int32_t g_statusNotFound = 404;
inline constexpr std::int32_t g_statusNotAllowed = 405;
inline constexpr std::int32_t g_statusServerError = 500;
// How long the user reads the refusal before the error band [ms].
inline constexpr std::int64_t g_refusalReadMs = 10000;

void gf_authenticater();

// The message shown for a refusal of the license (402, 404, 405).
std::string gf_licenseRefusalText(std::int32_t status);

}  // namespace zrb
