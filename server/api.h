// The HTTP side: the API's routes, the ranking page and the browser game's files.
#pragma once

#include <string>

#include "server/db_pool.h"
#include "server/rate_limit.h"
#include "server/workers.h"

namespace httplib {
class Server;
}

struct ApiSettings {
    std::string site;          // the browser game's folder, served under /play/; empty: none
    std::string trustedProxy;  // the one peer whose X-Forwarded-For is believed
    int perAddressPerMinute = 10;
    int perNamePerMinute = 10;
};

struct Api {
    ApiSettings settings;
    DbPool& pool;
    Workers* workers;  // woken on each accepted run; may be null
    RateLimit byAddress{settings.perAddressPerMinute};
    RateLimit byName{settings.perNamePerMinute};
};

void AddRoutes(httplib::Server& server, Api& api);
