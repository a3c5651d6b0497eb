#include "base/Errors.h"

#include <cerrno>
#include <cstdint>
#include <gtest/gtest.h>

#include <limits>

using namespace qv7;

TEST(Errors, run_time_errors_carry_the_french_messages) {
    EXPECT_STREQ(ERangeError().what(), "Erreur de vérification d'étendue");
    EXPECT_STREQ(EIntOverflow().what(), "Débordement d'entier");
    EXPECT_STREQ(EInOutError::cannotOpen("a.QV").what(), "Impossible d'ouvrir le fichier a.QV");
    EXPECT_STREQ(EInOutError::cannotCreate("a.QV").what(), "Impossible de créer le fichier a.QV");
    EXPECT_STREQ(EInOutError::fromErrno(ENOENT).what(), "Fichier introuvable");
    EXPECT_STREQ(EInOutError::fromErrno(EACCES).what(), "Accès au fichier refusé");
    EXPECT_STREQ(EInOutError::fromErrno(ENOSPC).what(), "Disque plein");
    EXPECT_STREQ(EInOutError::fromErrno(EIO).what(), "Erreur E/S 5");
    EXPECT_STREQ(EInOutError::notRegular("a.LIN").what(), "Le fichier a.LIN n'est pas un fichier ordinaire");
    EXPECT_STREQ(EInOutError::tooLarge("a.LIN").what(), "Le fichier a.LIN est trop grand");
    EXPECT_EQ(EInOutError::cannotCreate("a.QV", EFBIG).code(), EFBIG);
}

TEST(Errors, checked_narrowing_raises_the_range_error) {
    EXPECT_EQ(checked<std::int16_t>(32767), 32767);
    EXPECT_EQ(checked<std::int16_t>(-32768), -32768);
    EXPECT_THROW(checked<std::int16_t>(32768), ERangeError);
    EXPECT_THROW(checked<std::uint8_t>(256), ERangeError);
    EXPECT_THROW(checked<std::uint8_t>(-1), ERangeError);
    EXPECT_EQ(checked<std::uint8_t>(255.0), 255);
    EXPECT_THROW(checked<std::int32_t>(3e9), ERangeError);
    EXPECT_THROW(checked<std::int64_t>(9223372036854775808.0), ERangeError) << "2^63 is one past the maximum";
    EXPECT_EQ(checked<std::int64_t>(-9223372036854775808.0), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(checked<std::int32_t>(2147483647.0), 2147483647);
    EXPECT_THROW(checked<std::uint8_t>(256.0), ERangeError);
    EXPECT_THROW(checkedRange(5, 0, 4), ERangeError);
}

// The window translates a message's template and fills it again: the arguments go in one pass,
// so a file name holding "%2" stays as it is, and a number beyond the arguments stays too.
TEST(Errors, templates_are_filled_in_one_pass) {
    struct Case {
        const char* text;
        std::vector<std::string> arguments;
        const char* filled;
    };
    const Case cases[] = {
        {"Le fichier %1 est trop grand", {"a%2.LIN"}, "Le fichier a%2.LIN est trop grand"},
        {"%2 puis %1", {"un", "deux"}, "deux puis un"},
        {"%1 et %3", {"un"}, "un et %3"},
        {"100 % et %", {"x"}, "100 % et %"},
        {"%0%1%%1", {"a"}, "%0a%a"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fillTemplate(c.text, c.arguments), c.filled) << c.text;
    const EInOutError error = EInOutError::cannotOpen("/tmp/b%1.QV");
    EXPECT_STREQ(error.what(), "Impossible d'ouvrir le fichier /tmp/b%1.QV");
    EXPECT_STREQ(error.messageTemplate(), "Impossible d'ouvrir le fichier %1");
    EXPECT_STREQ(error.context(), "RunTimeError");
    EXPECT_EQ(error.arguments(), std::vector<std::string>{"/tmp/b%1.QV"});
    EXPECT_EQ(RunTimeError("brut").messageTemplate(), nullptr);
}
