#ifndef VORLAP_RESOURCES_H
#define VORLAP_RESOURCES_H

namespace Vorlap
{
// Registers the compiled-in images under ":/images/"; safe to call often.
void initResources();
} // namespace Vorlap

#endif
