#include "framework/app/HTTPTransferDemoLink.h"

#include <atomic>

namespace Zolt {

namespace {

std::atomic<HTTPTransferDemoLink*> gLink{nullptr};

} // namespace

void SetHTTPTransferDemoLink(HTTPTransferDemoLink* link) { gLink.store(link); }

HTTPTransferDemoLink* GetHTTPTransferDemoLink() { return gLink.load(); }

} // namespace Zolt
