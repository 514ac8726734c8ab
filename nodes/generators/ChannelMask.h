// The channel choice of the generators: which colour bytes receive a level.
#pragma once

#include <cstdint>

// Masks for bytes 0, 1 and 2 from the choice index: Red, Green, Blue, R+G+B.
struct ChannelMask {
    uint8_t byte[3];

    static ChannelMask FromChoice(int choice) {
        switch (choice) {
            case 0:
                return {{255, 0, 0}};
            case 1:
                return {{0, 255, 0}};
            case 2:
                return {{0, 0, 255}};
            default:
                return {{255, 255, 255}};
        }
    }

    // Writes the level into the selected bytes, 0 into the others and byte 3.
    void Put(uint8_t* pixel, uint8_t level) const {
        pixel[0] = level & byte[0];
        pixel[1] = level & byte[1];
        pixel[2] = level & byte[2];
        pixel[3] = 0;
    }
};
