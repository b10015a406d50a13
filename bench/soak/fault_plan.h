#pragma once

#include <random>
#include <string>

namespace velmora::bench {

// One spell of the soak: a fault of the simulated unit, switched on by a control line
// for a while and off again, or a clean spell.
struct FaultSpell {
    const char* name;
    std::string switchOn;  // control line for the unit; empty for a clean spell
    std::string switchOff; // empty when the fault ends by itself (a hang-up)
    int durationMs;
};

// Random spells and random operator clicks, repeatable from a seed.
class FaultPlan {
public:
    explicit FaultPlan(unsigned seed) : random_(seed) {}

    FaultSpell nextSpell();
    // "Command1" (Programma) or "Command4" (Leggi), and the pause before the next click.
    const char* nextButton();
    int nextClickPauseMs();

private:
    int between(int low, int high) { return std::uniform_int_distribution(low, high)(random_); }

    std::mt19937 random_;
};

} // namespace velmora::bench
