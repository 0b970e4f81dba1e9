// The parameter block as the settings code sees it.
#pragma once

#include "settings/parameter_block_pending.h"
