#pragma once
// The project's workers of the greeting layer: the e-mail sender, the feedback sender and
// the greeting service client, made with the service addresses in force. The desktop
// program and orlinda-cli hand these factories to TProject; the submission worker and the
// updater's proxy come from their own layers.
#include "model/ProjectWorkers.h"

namespace orlinda {

class TFeedbackThread;
class TGreetingThread;
class TOptionsList;
class TProject;
class TSMTPThread;

// workers with its mail, feedback and greetings factories filled; settings (null: the
// program's Settings()) may name the service folder in "ServiceURL".
TProjectWorkers GreetingWorkers(TProjectWorkers workers = {}, const TOptionsList* settings = nullptr);

// The project's threads of this layer, or null where the project runs a stand-in.
TSMTPThread* MailThreadOf(TProject& project);
TFeedbackThread* FeedbackThreadOf(TProject& project);
TGreetingThread* GreetingThreadOf(TProject& project);

} // namespace orlinda
