// A pattern compiled to instructions, shared by the searches of the matcher.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

namespace lumbrel::filter {

enum class Op : uint8_t { Char, Any, Class, Split, Jmp, Save, Backref, NotAhead, Match };

struct Inst {
    Op op;
    uint8_t ch = 0;
    int x = 0;  // Class: class; Split: preferred; Jmp: target; Save: slot; Backref: group;
                // NotAhead: sub-program
    int y = 0;  // Split: the other way
};

using Code = std::vector<Inst>;

struct Program {
    std::vector<Code> subs;                 // [0] is the pattern; the others are `!` elements
    std::vector<std::bitset<256>> accepts;  // per class, indexed by the text's raw byte
    bool anchoredStart = false;
    bool anchoredEnd = false;
    bool backrefs = false;
    int groupCount = 0;
    // The bytes a match can begin with, when they are known: other start positions are skipped.
    std::optional<std::bitset<256>> firstBytes;
};

struct Pattern;

// The instructions of a parsed pattern.
Program CompileProgram(const Pattern& pattern);

}  // namespace lumbrel::filter
