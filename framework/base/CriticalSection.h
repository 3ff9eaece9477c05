// The framework's lock is the platform's critical section: one recursive
// lock and its scoped guard for the whole program, named here as the
// framework's own. Which data a given lock guards is said where it is
// declared; platform/core/CriticalSection.h says when a plain std::mutex
// serves instead.
#pragma once

#include "platform/core/CriticalSection.h"

namespace Zolt {

using CriticalSection = platform::CriticalSection;
using CriticalSectionLock = platform::CriticalSectionLock;

} // namespace Zolt
