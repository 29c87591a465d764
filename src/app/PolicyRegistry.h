#pragma once
// The team library's policy values as Group Policy (or IT by hand) writes them in the
// registry: Software\Policies\Velmora under HKLM and HKCU. Read afresh at every call: a policy
// may change while the program runs.
#include "app/TeamPolicy.h"

TeamPolicy ReadTeamPolicy();
