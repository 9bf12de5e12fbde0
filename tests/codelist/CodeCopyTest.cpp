#include "CodeCopy.h"
#include "Cp1252.h"

#include <gtest/gtest.h>

using namespace kodexa;
using namespace kodexa::codelist;

TEST(CodeCopy, TheCodeAloneOrThePublishedCodeABlankAndTheDescription) {
    EXPECT_EQ(copiedText(CopyForm::Code, "03111000", "Saatgut"), "03111000");
    EXPECT_EQ(copiedText(CopyForm::CodeAndDescription, "03111000", "Saatgut"), "03111000-2 Saatgut");
    // The description goes in whole, with its own colons, blanks and characters of the code page.
    const std::string description = cp1252::fromUtf8("Früchte: Äpfel  und Birnen ");
    EXPECT_EQ(copiedText(CopyForm::CodeAndDescription, "03222321", description), "03222321-9 " + description);
    EXPECT_EQ(copiedText(CopyForm::Code, "03222321", description), "03222321");
    EXPECT_EQ(copiedText(CopyForm::CodeAndDescription, "03222321", ""), "03222321-9 ");
}
