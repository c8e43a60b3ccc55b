#pragma once

// What the suite's installer leaves behind, laid down by the client when it starts
// on a program folder or Windows directory that lacks it: the guide's branches in
// Channels.ini, the search engines, and the registration of the suite's own mail and
// address-book programs, which the bar's Mail and Address Book buttons start.
// Nothing that is there is overwritten; a folder that cannot be written is left as it is.
void LayDownInstallation();
