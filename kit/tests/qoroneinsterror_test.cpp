#include "kit/qoroneinsterror.h"

#include <gtest/gtest.h>

TEST(QorOneInstError, KindZeroNamesAnInvalidOwnerOrASecondOnTheForm)
{
    const QOREOneInstError error("TQORFormStyler", 0);
    EXPECT_EQ(error.Message(), "TQORFormStyler:\rInvalid owner (<>TForm) or second instance on a form");
}

TEST(QorOneInstError, KindOneNamesASecondInTheProgram)
{
    const QOREOneInstError error("TQORForm", 1);
    EXPECT_EQ(error.Message(), "TQORForm:\rAlready one TQORForm control in this project!");
}

TEST(QorOneInstError, IsCaughtAsTheSystemsException)
{
    EXPECT_THROW(throw QOREOneInstError("X", 0), Exception);
}
