#pragma once

#include <string>

#include "inventory/inventory.h"

namespace mk843nb::recording {

// This computer's host name, the bench a record was made on ("localhost" when it has none).
std::string HostName();
// The login name of the user running the program: the account's name, else
// $LOGNAME or $USER, else the user's number.
std::string LoginName();

// Records made here: bench = this host, operator = operatorName when given,
// else the login name. Port and plan are the caller's.
inventory::Origin LocalOrigin(const std::string& operatorName = "");

}  // namespace mk843nb::recording
