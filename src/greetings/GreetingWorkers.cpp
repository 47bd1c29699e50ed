#include "greetings/GreetingWorkers.h"

#include "greetings/FeedbackThread.h"
#include "greetings/GreetingThread.h"
#include "greetings/ServiceHost.h"
#include "greetings/SmtpThread.h"
#include "model/Project.h"
#include "model/Settings.h"

namespace orlinda {

TProjectWorkers GreetingWorkers(TProjectWorkers workers, const TOptionsList* settings)
{
    const std::string base = ServiceBaseUrl(settings ? settings : &Settings());
    workers.mail = [] { return std::make_unique<TSMTPThread>(); };
    workers.feedback = [base] {
        auto thread = std::make_unique<TFeedbackThread>();
        thread->SetServiceUrl(ServiceScriptUrl(base, kContactScript));
        return thread;
    };
    workers.greetings = [base] {
        auto thread = std::make_unique<TGreetingThread>();
        thread->SetServiceUrl(ServiceScriptUrl(base, kGreetingsScript));
        return thread;
    };
    return workers;
}

TSMTPThread* MailThreadOf(TProject& project)
{
    return dynamic_cast<TSMTPThread*>(&project.Mail());
}

TFeedbackThread* FeedbackThreadOf(TProject& project)
{
    return dynamic_cast<TFeedbackThread*>(&project.Feedback());
}

TGreetingThread* GreetingThreadOf(TProject& project)
{
    return dynamic_cast<TGreetingThread*>(&project.Greeter());
}

} // namespace orlinda
