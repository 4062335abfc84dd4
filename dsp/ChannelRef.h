#pragma once

class VexDA;

// One enabled channel: its unit and its index 0..3 within the unit. A position in the
// channel list is the element number by which requests name a channel.
struct ChannelRef
{
    VexDA* unit = nullptr;
    int ch = 0;
};
