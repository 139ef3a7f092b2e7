#include "slides/PresentationBackend.h"

std::unique_ptr<PresentationBackend> MakePresentationBackend(const AppSettings&) {
    return std::make_unique<UnavailableBackend>();
}
