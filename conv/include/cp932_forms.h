// The forms Linux tools give eight of code page 932's characters (WAVE DASH
// for its FULLWIDTH TILDE, MINUS SIGN for its FULLWIDTH HYPHEN-MINUS, ...):
// each row names the Linux form, the character code page 932 has in its
// place, and that character's Shift_JIS code, as Windows' best-fit
// conversion stores the Linux form. The one table for every part that
// writes such a text as code page 932.
#ifndef RUVOK_CP932_FORMS_H
#define RUVOK_CP932_FORMS_H

#include <cstdint>

struct Cp932LinuxForm {
    char16_t linuxForm;  // the form Linux tools give the character
    char16_t own;        // the character as code page 932 has it
    std::uint16_t code;  // its Shift_JIS code: lead byte << 8 | trail byte
};

constexpr Cp932LinuxForm kCp932LinuxForms[] = {
    {0x301C, 0xFF5E, 0x8160},  // WAVE DASH: FULLWIDTH TILDE
    {0x2016, 0x2225, 0x8161},  // DOUBLE VERTICAL LINE: PARALLEL TO
    {0x2212, 0xFF0D, 0x817C},  // MINUS SIGN: FULLWIDTH HYPHEN-MINUS
    {0x00A2, 0xFFE0, 0x8191},  // CENT SIGN: FULLWIDTH CENT SIGN
    {0x00A3, 0xFFE1, 0x8192},  // POUND SIGN: FULLWIDTH POUND SIGN
    {0x00AC, 0xFFE2, 0x81CA},  // NOT SIGN: FULLWIDTH NOT SIGN
    {0x2014, 0x2015, 0x815C},  // EM DASH: HORIZONTAL BAR
    {0x00A6, 0xFFE4, 0xFA55},  // BROKEN BAR: FULLWIDTH BROKEN BAR
};

// The character code page 932 has for c: c itself when c is no Linux form.
constexpr char16_t Cp932OwnForm(char16_t c)
{
    for (const Cp932LinuxForm& form : kCp932LinuxForms) {
        if (form.linuxForm == c)
            return form.own;
    }
    return c;
}

#endif
