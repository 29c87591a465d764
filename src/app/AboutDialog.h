#pragma once
#include "ui/ModalWindow.h"

#include <memory>

// The about window: dialog frame, caption "Velmora", the program's credits and a
// blinking close label.
std::unique_ptr<ModalWindow> NewAboutWindow();
