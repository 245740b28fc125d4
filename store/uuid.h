#pragma once

#include <string>

// A random (version 4) UUID in its usual lower-case text form.
std::string newUuid();
