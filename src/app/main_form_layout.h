#pragma once
#include <vector>

#include "ui/form.h"

namespace velotune {

std::vector<ui::ControlSpec> MainFormLayout();

}  // namespace velotune
