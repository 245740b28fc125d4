#pragma once

// What the editors may ask of the main window: to bring its list in line with the tables.
class ListHost
{
public:
    virtual void drawList() = 0;

protected:
    ~ListHost() = default;
};
