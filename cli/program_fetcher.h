#pragma once

#include "cli/program_options.h"
#include "net/http_fetch.h"
#include "net/resolver.h"
#include "net/whois_client.h"

#include <QString>
#include <memory>

// What tessivo-cli says on standard error before a command in demo mode.
QString demoNote();

// The fetcher the settings ask for: the demo pages, or the network (through the proxy, when one
// is given) with Ctrl-C stopping the run.
std::unique_ptr<Fetcher> programFetcher(const Settings& settings);

// The limits of the network fetcher: --proxy and --timeout.
FetchLimits programLimits(const Settings& settings);

// The resolver and the WHOIS client the settings ask for: the demo's, or the system's.
std::unique_ptr<Resolver> programResolver(const Settings& settings);
std::unique_ptr<WhoisClient> programWhois(const Settings& settings);
