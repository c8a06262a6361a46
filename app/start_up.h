#pragma once

// The configurator's start-up once its window exists: detect the mouse and, when it answered (or the demo
// runs), show the window and start the scene. The program and the scene tests share it.

#include <QString>

class Widget;

void startConfigurator(Widget& widget);

// True once the scene has ended its start-up lock and shows the whole frame.
bool sceneShown(const Widget& widget);

// `--screenshot FILE`: once the frame is shown, saves the window as a picture and quits (exit code 0);
// quits with 1 when there is no window to capture within a bounded wait or the file cannot be written.
void saveScreenshotAndQuit(Widget& widget, const QString& file);

// With J2_TRACE_STARTUP set, writes to stderr when the window's first frame and the revealed frame have
// been drawn, so start-up can be timed from outside.
void traceStartup(Widget& widget);
