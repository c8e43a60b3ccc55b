#include "net/winsockapi.h"

#include "net/clientsocket.h"

#include <gtest/gtest.h>

namespace {

std::string RaisedText(int code, int context)
{
    try {
        RaiseSocketError(code, context);
    } catch (const ESockError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

}  // namespace

TEST(SocketErrors, TextsAreTheTablesOwn)
{
    EXPECT_EQ(SocketErrorText(0), "");
    EXPECT_EQ(SocketErrorText(10035), "Operation would block");
    EXPECT_EQ(SocketErrorText(10037), "Operation, already in progress");
    EXPECT_EQ(SocketErrorText(10049), "Can't assign requested address");
    EXPECT_EQ(SocketErrorText(10061), "Connection refused");
    EXPECT_EQ(SocketErrorText(10065), "No Route to Host");
    EXPECT_EQ(SocketErrorText(10093), "Successful WSASTARTUP not yet performed");
    EXPECT_EQ(SocketErrorText(10101), "Socket Disconnected");
    EXPECT_EQ(SocketErrorText(11003), "Non-Recoverable errors: FORMERR, REFUSED, NOTIMP");
    EXPECT_EQ(SocketErrorText(20013), "Error %d (%s) listining");
    EXPECT_EQ(SocketErrorText(20026), "No Socket Class Defined");
}

TEST(SocketErrors, ACodeWithoutTextIsUnknownWithItsNumber)
{
    EXPECT_EQ(SocketErrorText(12345), "Unknown Error 12345");
    EXPECT_EQ(SocketErrorText(-7), "Unknown Error -7");
}

TEST(SocketErrors, RaiseFillsTheContextWithCodeAndText)
{
    EXPECT_EQ(RaisedText(10061, 20008), "Error 10061 (Connection refused) connecting");
    EXPECT_EQ(RaisedText(10048, 20007), "Error 10048 (Address already in use) Binding Socket");
}

TEST(SocketErrors, RaiseWithoutContextGivesTheCodesText)
{
    EXPECT_EQ(RaisedText(10093, 0), "Successful WSASTARTUP not yet performed");
}

TEST(SocketErrors, AContextWithoutPlaceholdersStandsAlone)
{
    EXPECT_EQ(RaisedText(0, 20018), "Socket not open");
    EXPECT_EQ(RaisedText(10054, 20017), "No address specified");
}

TEST(SocketErrors, AnUnknownCodeInAContextStillReadsWell)
{
    EXPECT_EQ(RaisedText(12345, 20015), "Error 12345 (Unknown Error 12345) sending");
}

TEST(WinsockBinding, PredicatesTellAddressesAndPortNumbers)
{
    tWinsockAPI api;
    EXPECT_TRUE(api.IsDottedAddress("127.0.0.1"));
    EXPECT_TRUE(api.IsDottedAddress("10.1.2.3"));
    EXPECT_FALSE(api.IsDottedAddress("localhost"));
    EXPECT_FALSE(api.IsDottedAddress(""));
    EXPECT_TRUE(tWinsockAPI::IsPortNumber("8096"));
    EXPECT_TRUE(tWinsockAPI::IsPortNumber("0"));
    EXPECT_FALSE(tWinsockAPI::IsPortNumber("-1"));
    EXPECT_FALSE(tWinsockAPI::IsPortNumber("pop3"));
    EXPECT_FALSE(tWinsockAPI::IsPortNumber(""));
}

TEST(WinsockBinding, TheLibraryNameIsFixedOnceInUse)
{
    tWinsockAPI api;
    api.SetLibraryName("winsock");
    EXPECT_EQ(api.LibraryName(), "winsock.DLL");
    api.htons(1);
    EXPECT_TRUE(api.Loaded());
    EXPECT_NO_THROW(api.SetLibraryName("WINSOCK.dll")) << "the same name, another case";
    try {
        api.SetLibraryName("OTHER.DLL");
        ADD_FAILURE() << "renaming a loaded library must be refused";
    } catch (const ESockError& e) {
        EXPECT_STREQ(e.what(), "Winsock DLL Already Loaded, Cannot change name");
    }
}

TEST(WinsockBinding, AnUnknownLibraryCannotBeLoaded)
{
    tWinsockAPI api;
    api.SetLibraryName("NOSUCH.DLL");
    try {
        api.htons(1);
        ADD_FAILURE() << "loading must fail";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to load Library \"NOSUCH.DLL\" Error 126");
    }
}

TEST(WinsockBinding, ComponentsStartSocketsAndTheLastOneStopsThem)
{
    {
        TCustomClientSocket client;
        EXPECT_TRUE(WinsockStarted());
        EXPECT_EQ(WinsockAPI().Data().wVersion, 0x0101);
        EXPECT_FALSE(GetLocalHostName().empty());
    }
    EXPECT_FALSE(WinsockStarted());
    EXPECT_EQ(GetLocalHostName(), "");
}
