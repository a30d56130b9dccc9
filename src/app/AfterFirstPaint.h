#pragma once
// Start-up work the first sight of the window does not need, run once it is on screen.

#include <QWidget>

#include <functional>

/// Runs `work` once, right after `window` has been painted for the first time.
void AfterFirstPaint(QWidget* window, std::function<void()> work);
