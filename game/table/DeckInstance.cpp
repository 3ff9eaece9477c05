// The program's deck. Kept apart from Deck.cpp so that code using a deck of
// its own (tests, tools) does not need the kernel.
#include "game/table/Deck.h"

namespace KernelLibrary {
// The kernel's control factory, null before the kernel start and after its
// teardown.
ControlLibrary::IFactory* GetFactory();
} // namespace KernelLibrary

Deck& Deck::Instance()
{
    static Deck deck(KernelLibrary::GetFactory());
    return deck;
}
