// SPDX-License-Identifier: Apache-2.0
// A host built the way qmake and meson hosts build: compiler flags and libraries come from
// `pkg-config --cflags --libs nuvviewer` alone. It puts the viewer on a window, switches the layout
// and exits with the layout read back, so a library that links but does not work fails too.
#include <NuvViewer/NuvViewerImageWnd.h>

#include <QApplication>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    auto* viewer = new NuvViewerImageWnd(&window);
    viewer->setWndLayout(NuvViewerImageWnd::Layout2x2);
    window.show();
    app.processEvents();
    const bool ok = viewer->getWndLayout() == NuvViewerImageWnd::Layout2x2;
    delete viewer;
    std::printf("pkg-config host: layout %s\n", ok ? "applied" : "NOT applied");
    return ok ? 0 : 1;
}
