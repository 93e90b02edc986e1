// Ids of the dialog templates and their controls, shared by the logic and
// the resource script.
#pragma once

#include "resource.h"
