// Who made a request, as far as its headers tell: our own page, or a page of
// another site in the same browser (any page the user visits can reach the
// loopback port).
#pragma once

#include "http/http_request.h"

namespace verhulzen {

// An Origin header, when not empty, that names another origin than the request's Host.
bool names_other_origin(const Request& request);

// A request that a page of another site made, as its Origin or the browser's
// Sec-Fetch-Site tells.
bool from_other_site(const Request& request);

}  // namespace verhulzen
