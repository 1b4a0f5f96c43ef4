#pragma once
#include <vector>

#include "ui/form.h"

namespace velotune {

class TForm1;

// The main window's controls, each row with its handlers bound to `form`.
std::vector<ui::ControlSpec> MainFormLayout(TForm1& form);

}  // namespace velotune
