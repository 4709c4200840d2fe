#include "resources.h"

#include <QtGlobal>

static void registerImages()
{
    Q_INIT_RESOURCE(images);
}

void Vorlap::initResources()
{
    static const bool done = (registerImages(), true);
    Q_UNUSED(done);
}
