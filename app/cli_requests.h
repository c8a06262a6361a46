#pragma once

// The configurator's side of j2ctl: while the configurator runs it holds the mouse, so j2ctl hands its
// command over and the configurator runs it through its own device object and modules, then shows the
// result on its pages.

#include <QByteArray>

class Widget;

// Runs a request j2ctl forwarded and returns the answer for it (exit status, output, reason).
QByteArray runCliRequest(Widget& widget, const QByteArray& request);
