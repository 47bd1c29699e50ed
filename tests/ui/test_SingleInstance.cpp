// The single-instance guard: the first start runs, a second start hands its arguments and
// "ShowMainForm" over through the shared block and ends, a restart after an update waits
// for the old instance to leave.
#include "platform/InstanceLock.h"
#include "platform/SharedMemory.h"
#include "ui/SingleInstance.h"

#include <QElapsedTimer>
#include <QtTest>

#include <sys/wait.h>
#include <thread>
#include <vector>
#include <unistd.h>

using namespace orlinda;

namespace {

std::vector<std::string>& UsedNames()
{
    static std::vector<std::string> names;
    return names;
}

// Names of this test process, so that runs side by side do not meet.
std::string Name(const char* base)
{
    std::string name = std::string(base) + "-test-" + std::to_string(::getpid());
    UsedNames().push_back(name);
    return name;
}

TSingleInstance::TTimings Quick()
{
    TSingleInstance::TTimings t;
    t.autoUpdateWaitMs = 400;
    t.autoUpdatePollMs = 50;
    t.messagePollMs = 2;
    t.messagePolls = 20;
    return t;
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    // The lock files stay behind by design (removing a lock file races with its next
    // user); the test's own are removed at the end.
    void cleanupTestCase()
    {
        for (const std::string& name : UsedNames())
            ::unlink(TInstanceLock::LockFilePath(name).c_str());
    }

    void aSecondStartForwardsShowMainForm()
    {
        const std::string lock = Name("Orlinda"), block = Name("Orlinda_Mapping");
        TSingleInstance first(lock, block);
        QCOMPARE(first.Run({}), TSingleInstance::TResult::Primary);
        QVERIFY(TInstanceLock::IsHeld(lock));
        QVERIFY(!first.TakeMessage());

        // The second start runs in another process, as it does for real.
        const pid_t child = ::fork();
        if (child == 0) {
            TSingleInstance second(lock, block);
            second.SetTimings(Quick());
            const auto result = second.Run({});
            ::_exit(result == TSingleInstance::TResult::Forwarded ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QCOMPARE(first.TakeMessage(), std::optional<std::string>(kShowMainForm));
        QVERIFY(!first.TakeMessage()); // taken: the block is empty again
    }

    void argumentsComeFirstEachAfterTheLastWasTaken()
    {
        const std::string lock = Name("OrlindaArgs"), block = Name("OrlindaArgs_Mapping");
        TSingleInstance first(lock, block);
        QCOMPARE(first.Run({}), TSingleInstance::TResult::Primary);
        QStringList received;
        std::atomic<bool> done{false};
        std::thread second([&] {
            TSingleInstance s(lock, block);
            TSingleInstance::TTimings t = Quick();
            t.messagePolls = 500; // wait as long as the reader needs
            s.SetTimings(t);
            s.Run({"-x", std::string(300, 'a')});
            done = true;
        });
        QElapsedTimer clock;
        clock.start();
        while ((!done || received.size() < 3) && clock.elapsed() < 5000) {
            if (auto m = first.TakeMessage())
                received << QString::fromStdString(*m);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        second.join();
        QCOMPARE(received, (QStringList{"-x", QString(255, 'a'), "ShowMainForm"}));
    }

    void aMessageNotTakenInTimeIsOverwritten()
    {
        unsigned char block[TSingleInstance::kBlockSize] = {};
        TSingleInstance::WriteMessage(block, "first", 1, 3);
        TSingleInstance::WriteMessage(block, "ShowMainForm", 1, 3);
        QCOMPARE(TSingleInstance::ReadMessage(block), std::optional<std::string>("ShowMainForm"));
        QCOMPARE(int(block[0]), 0);
    }

    void withoutTheBlockTheLockAloneDecides()
    {
        const std::string lock = Name("OrlindaNoBlock");
        TInstanceLock other(lock);
        QVERIFY(other.TryAcquire());
        // Nobody made the block: the second start writes nothing and ends.
        TSingleInstance second(lock, Name("OrlindaNoBlock_Mapping"));
        second.SetTimings(Quick());
        QCOMPARE(second.Run({}), TSingleInstance::TResult::Forwarded);
        other.Release();
        QVERIFY(!TInstanceLock::IsHeld(lock));
    }

    void afterAnUpdateTheNewInstanceWaitsForTheOldOne()
    {
        const std::string lock = Name("OrlindaUpdate"), block = Name("OrlindaUpdate_Mapping");
        auto old = std::make_unique<TInstanceLock>(lock);
        QVERIFY(old->TryAcquire());
        std::thread leaving([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            old->Release();
        });
        TSingleInstance restarted(lock, block);
        restarted.SetTimings(Quick());
        QCOMPARE(restarted.Run({"/autoupdate"}), TSingleInstance::TResult::Primary);
        leaving.join();
        QVERIFY(TSharedMemory::Exists(block));

        // An old instance that does not leave in time: the new start forwards and ends.
        TInstanceLock stuck(Name("OrlindaStuck"));
        QVERIFY(stuck.TryAcquire());
        TSingleInstance late(Name("OrlindaStuck"), Name("OrlindaStuck_Mapping"));
        late.SetTimings(Quick());
        QElapsedTimer t;
        t.start();
        QCOMPARE(late.Run({"/autoupdate"}), TSingleInstance::TResult::Forwarded);
        QVERIFY(t.elapsed() >= 400);
    }

    void theCreatorRemovesTheBlock()
    {
        const std::string name = Name("OrlindaBlock");
        {
            auto created = TSharedMemory::Create(name, 256);
            QVERIFY(created);
            auto opened = TSharedMemory::Open(name, 256);
            QVERIFY(opened);
            created->Data()[5] = 42;
            QCOMPARE(int(opened->Data()[5]), 42);
            QVERIFY(!TSharedMemory::Open(name, 4096)); // smaller than asked for
        }
        QVERIFY(!TSharedMemory::Exists(name));
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "test_SingleInstance.moc"
