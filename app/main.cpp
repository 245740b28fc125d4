#include "atomicfile.h"
#include "frmmain.h"
#include "module1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Module1 store;
    removeStaleTemporaries(store.taskFile());
    frmMain window(store);
    window.show();
    return app.exec();
}
