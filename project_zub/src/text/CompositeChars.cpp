#include "text/CompositeChars.h"

namespace composite_chars {

namespace {

using A = Accent;

// Every character of the code page that is an ASCII letter with one accent,
// in character order.
constexpr Entry k1252[] = {
    {0x00C0, u'A', A::Grave},      {0x00C1, u'A', A::Acute},      {0x00C2, u'A', A::Circumflex},
    {0x00C3, u'A', A::Tilde},      {0x00C4, u'A', A::Diaeresis},  {0x00C5, u'A', A::Ring},
    {0x00C7, u'C', A::Cedilla},    {0x00C8, u'E', A::Grave},      {0x00C9, u'E', A::Acute},
    {0x00CA, u'E', A::Circumflex}, {0x00CB, u'E', A::Diaeresis},  {0x00CC, u'I', A::Grave},
    {0x00CD, u'I', A::Acute},      {0x00CE, u'I', A::Circumflex}, {0x00CF, u'I', A::Diaeresis},
    {0x00D1, u'N', A::Tilde},      {0x00D2, u'O', A::Grave},      {0x00D3, u'O', A::Acute},
    {0x00D4, u'O', A::Circumflex}, {0x00D5, u'O', A::Tilde},      {0x00D6, u'O', A::Diaeresis},
    {0x00D9, u'U', A::Grave},      {0x00DA, u'U', A::Acute},      {0x00DB, u'U', A::Circumflex},
    {0x00DC, u'U', A::Diaeresis},  {0x00DD, u'Y', A::Acute},      {0x00E0, u'a', A::Grave},
    {0x00E1, u'a', A::Acute},      {0x00E2, u'a', A::Circumflex}, {0x00E3, u'a', A::Tilde},
    {0x00E4, u'a', A::Diaeresis},  {0x00E5, u'a', A::Ring},       {0x00E7, u'c', A::Cedilla},
    {0x00E8, u'e', A::Grave},      {0x00E9, u'e', A::Acute},      {0x00EA, u'e', A::Circumflex},
    {0x00EB, u'e', A::Diaeresis},  {0x00EC, u'i', A::Grave},      {0x00ED, u'i', A::Acute},
    {0x00EE, u'i', A::Circumflex}, {0x00EF, u'i', A::Diaeresis},  {0x00F1, u'n', A::Tilde},
    {0x00F2, u'o', A::Grave},      {0x00F3, u'o', A::Acute},      {0x00F4, u'o', A::Circumflex},
    {0x00F5, u'o', A::Tilde},      {0x00F6, u'o', A::Diaeresis},  {0x00F9, u'u', A::Grave},
    {0x00FA, u'u', A::Acute},      {0x00FB, u'u', A::Circumflex}, {0x00FC, u'u', A::Diaeresis},
    {0x00FD, u'y', A::Acute},      {0x00FF, u'y', A::Diaeresis},  {0x0160, u'S', A::Caron},
    {0x0161, u's', A::Caron},      {0x0178, u'Y', A::Diaeresis},  {0x017D, u'Z', A::Caron},
    {0x017E, u'z', A::Caron},
};

constexpr Entry k1250[] = {
    {0x00C1, u'A', A::Acute},       {0x00C2, u'A', A::Circumflex}, {0x00C4, u'A', A::Diaeresis},
    {0x00C7, u'C', A::Cedilla},     {0x00C9, u'E', A::Acute},      {0x00CB, u'E', A::Diaeresis},
    {0x00CD, u'I', A::Acute},       {0x00CE, u'I', A::Circumflex}, {0x00D3, u'O', A::Acute},
    {0x00D4, u'O', A::Circumflex},  {0x00D6, u'O', A::Diaeresis},  {0x00DA, u'U', A::Acute},
    {0x00DC, u'U', A::Diaeresis},   {0x00DD, u'Y', A::Acute},      {0x00E1, u'a', A::Acute},
    {0x00E2, u'a', A::Circumflex},  {0x00E4, u'a', A::Diaeresis},  {0x00E7, u'c', A::Cedilla},
    {0x00E9, u'e', A::Acute},       {0x00EB, u'e', A::Diaeresis},  {0x00ED, u'i', A::Acute},
    {0x00EE, u'i', A::Circumflex},  {0x00F3, u'o', A::Acute},      {0x00F4, u'o', A::Circumflex},
    {0x00F6, u'o', A::Diaeresis},   {0x00FA, u'u', A::Acute},      {0x00FC, u'u', A::Diaeresis},
    {0x00FD, u'y', A::Acute},       {0x0102, u'A', A::Breve},      {0x0103, u'a', A::Breve},
    {0x0104, u'A', A::Ogonek},      {0x0105, u'a', A::Ogonek},     {0x0106, u'C', A::Acute},
    {0x0107, u'c', A::Acute},       {0x010C, u'C', A::Caron},      {0x010D, u'c', A::Caron},
    {0x010E, u'D', A::Caron},       {0x010F, u'd', A::Caron},      {0x0118, u'E', A::Ogonek},
    {0x0119, u'e', A::Ogonek},      {0x011A, u'E', A::Caron},      {0x011B, u'e', A::Caron},
    {0x0139, u'L', A::Acute},       {0x013A, u'l', A::Acute},      {0x013D, u'L', A::Caron},
    {0x013E, u'l', A::Caron},       {0x0143, u'N', A::Acute},      {0x0144, u'n', A::Acute},
    {0x0147, u'N', A::Caron},       {0x0148, u'n', A::Caron},      {0x0150, u'O', A::DoubleAcute},
    {0x0151, u'o', A::DoubleAcute}, {0x0154, u'R', A::Acute},      {0x0155, u'r', A::Acute},
    {0x0158, u'R', A::Caron},       {0x0159, u'r', A::Caron},      {0x015A, u'S', A::Acute},
    {0x015B, u's', A::Acute},       {0x015E, u'S', A::Cedilla},    {0x015F, u's', A::Cedilla},
    {0x0160, u'S', A::Caron},       {0x0161, u's', A::Caron},      {0x0162, u'T', A::Cedilla},
    {0x0163, u't', A::Cedilla},     {0x0164, u'T', A::Caron},      {0x0165, u't', A::Caron},
    {0x016E, u'U', A::Ring},        {0x016F, u'u', A::Ring},       {0x0170, u'U', A::DoubleAcute},
    {0x0171, u'u', A::DoubleAcute}, {0x0179, u'Z', A::Acute},      {0x017A, u'z', A::Acute},
    {0x017B, u'Z', A::DotAbove},    {0x017C, u'z', A::DotAbove},   {0x017D, u'Z', A::Caron},
    {0x017E, u'z', A::Caron},
};

}  // namespace

std::span<const Entry> forCodePage(std::u16string_view codePage) {
    if (codePage == u"1250") return std::span<const Entry>(k1250);
    if (codePage == u"1252") return std::span<const Entry>(k1252);
    return {};
}

const char16_t* accentCandidates(Accent accent) {
    switch (accent) {
        case A::Grave:
            return u"\u0060";
        case A::Acute:
            return u"\u00B4";
        case A::Circumflex:
            return u"\u02C6\u005E";
        case A::Tilde:
            return u"\u02DC\u007E";
        case A::Diaeresis:
            return u"\u00A8";
        case A::Ring:
            return u"\u02DA\u00B0";
        case A::Cedilla:
            return u"\u00B8";
        case A::Caron:
            return u"\u02C7";
        case A::Breve:
            return u"\u02D8";
        case A::Ogonek:
            return u"\u02DB";
        case A::DoubleAcute:
            return u"\u02DD";
        case A::DotAbove:
            return u"\u02D9";
    }
    return u"";
}

}  // namespace composite_chars
