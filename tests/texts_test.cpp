#include "core/Design.h"
#include "core/Texts.h"

#include <gtest/gtest.h>

TEST(Texts, WithFillsEachPlaceOnce) {
    const struct {
        std::string_view pattern, first, second, expected;
    } cases[] = {
        {Texts::kKeySaved, "C:\\a %2.txt", "",
         "La chiave pubblica è stata salvata con successo nel file \"C:\\a %2.txt\"."},
        {Texts::kPrintStopped, "pdf", "12", "La stampa su \"pdf\" si è interrotta a pagina 12."},
        {"100%", "x", "", "100%"},
        {"%3 %1%1", "ab", "", "%3 abab"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Texts::with(c.pattern, c.first, c.second), c.expected) << c.pattern;
}

TEST(Design, TwipsBecomePixelsAtTheSystemsDpi) {
    const struct {
        int twips, dpi, expected;
    } cases[] = {{15, 96, 1}, {11940, 96, 796},  {5654 - 90, 96, 371}, {7, 96, 0},
                 {8, 96, 1},  {11940, 120, 995}, {11940, 144, 1194},   {-15, 96, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(Design::pixels(c.twips, c.dpi), c.expected) << c.twips << " at " << c.dpi;
}
