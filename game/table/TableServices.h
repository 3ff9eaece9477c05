// The services the table and its players work through. The game object fills
// it from the kernel's singletons; tests fill it with doubles. The table keeps
// a copy and hands it to the players it seats.
#pragma once

namespace ControlLibrary {
class IFactory;
}
namespace TimeLibrary {
class ITimeSystem;
}

namespace Gamespace {

class ITableShell;
class TableEventQueue;

struct TableServices {
    ITableShell* shell = nullptr;                     // required
    TimeLibrary::ITimeSystem* timeSystem = nullptr;   // required
    ControlLibrary::IFactory* factory = nullptr;      // null: nothing is shown
    TableEventQueue* events = nullptr;                // set by the table
};

} // namespace Gamespace
