#pragma once

#include <QString>

// The endpoint names as users meet them: in the help of both programs and in the error
// for an endpoints file that names one that does not exist.

// Every name, joined by "、".
QString endpointNames();

// One line per endpoint, indented by two spaces: its name and the base it has unless an
// endpoints file says otherwise.
QString endpointDefaults();
