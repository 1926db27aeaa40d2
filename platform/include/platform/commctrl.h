// Placeholder until this part of the Win32 subset lands.
#pragma once

#include "windef.h"
