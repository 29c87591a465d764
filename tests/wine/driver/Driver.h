// Everything a Wine test case uses to drive Velmora.exe and look at what it does.
#pragma once

#include "AppProcess.h"
#include "Backdrop.h"
#include "Image.h"
#include "Input.h"
#include "MessageBoxes.h"
#include "ProgramFolder.h"
#include "Screen.h"
#include "TargetProcess.h"
#include "Text.h"
#include "Wait.h"
#include "WindowQuery.h"
