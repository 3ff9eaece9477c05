// The program's deck. Kept apart from Deck.cpp so that code using a deck of
// its own (tests, tools) does not need the kernel.
#include "game/table/Deck.h"
#include "kernel/Kernel.h"

Deck& Deck::Instance()
{
    static Deck deck(KernelLibrary::GetFactory());
    return deck;
}
