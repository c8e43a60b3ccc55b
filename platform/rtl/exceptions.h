#pragma once

#include <exception>
#include <string>

// Base of every failure the system raises; the message is text in the system code page.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : m_message(std::move(message)) {}
    const std::string& Message() const { return m_message; }
    void SetMessage(std::string message) { m_message = std::move(message); }
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

#define KORVO_EXCEPTION(Name, Base)          \
    class Name : public Base {               \
    public:                                  \
        using Base::Base;                    \
    }

KORVO_EXCEPTION(EConvertError, Exception);
KORVO_EXCEPTION(EStreamError, Exception);
KORVO_EXCEPTION(EReadError, EStreamError);
KORVO_EXCEPTION(EWriteError, EStreamError);
KORVO_EXCEPTION(EFOpenError, EStreamError);
KORVO_EXCEPTION(EFCreateError, EStreamError);
KORVO_EXCEPTION(EInOutError, Exception);
KORVO_EXCEPTION(EListError, Exception);
KORVO_EXCEPTION(EStringListError, Exception);
KORVO_EXCEPTION(EOutOfResources, Exception);
KORVO_EXCEPTION(EThread, Exception);
KORVO_EXCEPTION(EAbort, Exception);
KORVO_EXCEPTION(EInvalidGraphic, Exception);
KORVO_EXCEPTION(EInvalidGraphicOperation, Exception);
KORVO_EXCEPTION(EInvalidOperation, Exception);

#undef KORVO_EXCEPTION
