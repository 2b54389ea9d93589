// Generated with exact integer arithmetic; the tests check every entry the same way.
#include "pow10.h"

namespace calc {

const std::array<Extended, 32> PowersOfTen{{
    makeExtended(false, 0x3FFF, 0x8000000000000000),  // 1E0
    makeExtended(false, 0x4002, 0xA000000000000000),  // 1E1
    makeExtended(false, 0x4005, 0xC800000000000000),  // 1E2
    makeExtended(false, 0x4008, 0xFA00000000000000),  // 1E3
    makeExtended(false, 0x400C, 0x9C40000000000000),  // 1E4
    makeExtended(false, 0x400F, 0xC350000000000000),  // 1E5
    makeExtended(false, 0x4012, 0xF424000000000000),  // 1E6
    makeExtended(false, 0x4016, 0x9896800000000000),  // 1E7
    makeExtended(false, 0x4019, 0xBEBC200000000000),  // 1E8
    makeExtended(false, 0x401C, 0xEE6B280000000000),  // 1E9
    makeExtended(false, 0x4020, 0x9502F90000000000),  // 1E10
    makeExtended(false, 0x4023, 0xBA43B74000000000),  // 1E11
    makeExtended(false, 0x4026, 0xE8D4A51000000000),  // 1E12
    makeExtended(false, 0x402A, 0x9184E72A00000000),  // 1E13
    makeExtended(false, 0x402D, 0xB5E620F480000000),  // 1E14
    makeExtended(false, 0x4030, 0xE35FA931A0000000),  // 1E15
    makeExtended(false, 0x4034, 0x8E1BC9BF04000000),  // 1E16
    makeExtended(false, 0x4037, 0xB1A2BC2EC5000000),  // 1E17
    makeExtended(false, 0x403A, 0xDE0B6B3A76400000),  // 1E18
    makeExtended(false, 0x403E, 0x8AC7230489E80000),  // 1E19
    makeExtended(false, 0x4041, 0xAD78EBC5AC620000),  // 1E20
    makeExtended(false, 0x4044, 0xD8D726B7177A8000),  // 1E21
    makeExtended(false, 0x4048, 0x878678326EAC9000),  // 1E22
    makeExtended(false, 0x404B, 0xA968163F0A57B400),  // 1E23
    makeExtended(false, 0x404E, 0xD3C21BCECCEDA100),  // 1E24
    makeExtended(false, 0x4052, 0x84595161401484A0),  // 1E25
    makeExtended(false, 0x4055, 0xA56FA5B99019A5C8),  // 1E26
    makeExtended(false, 0x4058, 0xCECB8F27F4200F3A),  // 1E27
    makeExtended(false, 0x405C, 0x813F3978F8940984),  // 1E28
    makeExtended(false, 0x405F, 0xA18F07D736B90BE5),  // 1E29
    makeExtended(false, 0x4062, 0xC9F2C9CD04674EDF),  // 1E30
    makeExtended(false, 0x4065, 0xFC6F7C4045812296),  // 1E31
}};

const std::array<Extended, 16> PowersOfTen32{{
    makeExtended(false, 0x3FFF, 0x8000000000000000),  // 1E0
    makeExtended(false, 0x4069, 0x9DC5ADA82B70B59E),  // 1E32
    makeExtended(false, 0x40D3, 0xC2781F49FFCFA6D5),  // 1E64
    makeExtended(false, 0x413D, 0xEFB3AB16C59B14A3),  // 1E96
    makeExtended(false, 0x41A8, 0x93BA47C980E98CE0),  // 1E128
    makeExtended(false, 0x4212, 0xB616A12B7FE617AA),  // 1E160
    makeExtended(false, 0x427C, 0xE070F78D3927556B),  // 1E192
    makeExtended(false, 0x42E7, 0x8A5296FFE33CC930),  // 1E224
    makeExtended(false, 0x4351, 0xAA7EEBFB9DF9DE8E),  // 1E256
    makeExtended(false, 0x43BB, 0xD226FC195C6A2F8C),  // 1E288
    makeExtended(false, 0x4426, 0x81842F29F2CCE376),  // 1E320
    makeExtended(false, 0x4490, 0x9FA42700DB900AD2),  // 1E352
    makeExtended(false, 0x44FA, 0xC4C5E310AEF8AA17),  // 1E384
    makeExtended(false, 0x4564, 0xF28A9C07E9B09C59),  // 1E416
    makeExtended(false, 0x45CF, 0x957A4AE1EBF7F3D4),  // 1E448
    makeExtended(false, 0x4639, 0xB83ED8DC0795A262),  // 1E480
}};

const std::array<Extended, 10> PowersOfTen512{{
    makeExtended(false, 0x3FFF, 0x8000000000000000),  // 1E0
    makeExtended(false, 0x46A3, 0xE319A0AEA60E91C7),  // 1E512
    makeExtended(false, 0x4D48, 0xC976758681750C17),  // 1E1024
    makeExtended(false, 0x53ED, 0xB2B8353B3993A7E4),  // 1E1536
    makeExtended(false, 0x5A92, 0x9E8B3B5DC53D5DE5),  // 1E2048
    makeExtended(false, 0x6137, 0x8CA554C020A1F0A6),  // 1E2560
    makeExtended(false, 0x67DB, 0xF9895D25D88B5A8B),  // 1E3072
    makeExtended(false, 0x6E80, 0xDD5DC8A2BF27F3F8),  // 1E3584
    makeExtended(false, 0x7525, 0xC46052028A20979B),  // 1E4096
    makeExtended(false, 0x7BCA, 0xAE3511626ED559F0),  // 1E4608
}};

}  // namespace calc
