#include "recording/local_origin.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace mk843nb::recording {

std::string HostName() {
    std::vector<char> name(HOST_NAME_MAX + 1, '\0');
    // Claims name their bench: one without a name still needs one.
    if (::gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return "localhost";
    return name.data();
}

std::string LoginName() {
    // getlogin() needs a terminal; a fleet run may have none.
    if (const passwd* account = ::getpwuid(::geteuid()); account && account->pw_name)
        return account->pw_name;
    for (const char* variable : {"LOGNAME", "USER"})
        if (const char* value = std::getenv(variable); value && *value) return value;
    return std::to_string(::geteuid());
}

inventory::Origin LocalOrigin(const std::string& operatorName) {
    inventory::Origin origin;
    origin.bench = HostName();
    origin.operatorName = operatorName.empty() ? LoginName() : operatorName;
    return origin;
}

}  // namespace mk843nb::recording
