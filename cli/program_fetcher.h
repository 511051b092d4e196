#pragma once

#include "cli/program_options.h"
#include "net/http_fetch.h"

#include <QString>
#include <memory>

// What tessivo-cli says on standard error before a command in demo mode.
QString demoNote();

// The fetcher the settings ask for: the demo pages, or the network (through the proxy, when one
// is given) with Ctrl-C stopping the run.
std::unique_ptr<Fetcher> programFetcher(const Settings& settings);
