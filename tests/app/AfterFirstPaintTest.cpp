// Start-up work deferred until the window is on screen.

#include "app/AfterFirstPaint.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

TEST(AfterFirstPaint, WaitsForTheFirstPaintAndRunsOnce)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "app_tests";
    char* argv[] = { name, nullptr };
    QApplication application(argc, argv);
    QWidget window;
    int runs = 0;
    AfterFirstPaint(&window, [&runs] { ++runs; });
    QCoreApplication::processEvents();
    EXPECT_EQ(0, runs) << "a window never shown is never painted";

    window.show();
    QElapsedTimer waited;
    waited.start();
    while (runs == 0 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    window.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(1, runs);
}

} // namespace
