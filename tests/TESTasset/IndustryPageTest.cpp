#include "AllocationFixture.h"
