#pragma once
// One application object for a test executable, and reading windows back.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ui/application.h"
#include "ui/gdi.h"

namespace velotune::test {

// The process-wide application object, made on first use.
ui::Application& TestApplication();

// The window's client area as it is on screen, read back pixel for pixel.
std::unique_ptr<ui::Surface> CaptureClient(HWND hwnd);

// Saves the surface as <build folder>/screenshots/<name>.bmp, for a person to look at.
void SaveScreenshot(const ui::Surface& surface, const std::string& name);

// Handles pending messages.
void Pump();

inline COLORREF Rgb(int r, int g, int b) { return RGB(r, g, b); }

}  // namespace velotune::test
