#pragma once

#include "platform/testing/scratch.h"

#include <string>

// A Windows directory whose larkspire.ini names the user "ann" with a mail folder.
class MailScratch : public ScratchDirs {
public:
    explicit MailScratch(bool withMailFolder = true)
    {
        write("windows/larkspire.ini", "[Main]\r\nUserLoginName=ann\r\n");
        if (withMailFolder)
            write("windows/my friends/ann/mail/.keep", "");
    }
    std::string mailInf() const { return read("windows/my friends/ann/mail/mail.inf"); }
    void seed(const std::string& bytes) const { write("windows/my friends/ann/mail/mail.inf", bytes); }
};
