// The indicator component against the simulated indicator: every transfer driven by explicit ticks,
// the events it raises (on the component's thread, in order), lost replies, unplugging, the model
// designation and the file operations behind their dialogs.
#include "base/Errors.h"
#include "indicator/Torvik.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

using qv7::SimulatedIndicator;

namespace {

// Answers the file dialogs in advance and keeps what they were asked.
class ScriptedDialogs : public TorvikDialogs {
public:
    std::optional<QString> answer;
    std::vector<FileDialog> asked;
    std::vector<bool> askedSave;
    QStringList messages;

    std::optional<QString> askFileName(const FileDialog& dialog, bool save) override {
        asked.push_back(dialog);
        askedSave.push_back(save);
        return answer;
    }
    void showMessage(const QString& text) override { messages << text; }
};

TLinTable sampleTable(float scale) {
    TLinTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].Ordinate = scale * static_cast<float>(i) / 31.0f;
        table[i].Abscissa = static_cast<float>(i * i) / 961.0f - 0.125f;
    }
    return table;
}

int function(const std::vector<std::uint8_t>& frame) {
    return frame.size() > 1 ? frame[1] : -1;
}
int startAddress(const std::vector<std::uint8_t>& frame) {
    return frame.size() > 3 ? frame[2] * 256 + frame[3] : -1;
}

} // namespace

class tst_Torvik : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void read_all_fills_params_from_the_indicator();
    void write_all_leaves_the_record_in_the_indicator();
    void never_filled_record_writes_zero_registers();
    void table_read_reports_every_register_and_converts_the_table();
    void table_write_reports_each_block_then_register_2();
    void read_all_abandons_a_running_table_read();
    void late_table_reply_after_read_all_is_not_booked();
    void command_register_echo_changes_nothing();
    void dropped_reply_is_asked_again_on_the_next_tick();
    void exception_reply_leaves_the_step_for_the_next_tick();
    void adc_values_arrive_as_two_floats();
    void unknown_step_falls_back_to_idle();
    void save_and_load_go_through_the_dialogs();
    void load_rejections_show_their_message_and_keep_params();
    void cancelled_dialogs_do_nothing();
    void unplug_mid_transfer_keeps_the_step_and_reports_disconnect();
    void late_answer_to_a_repeated_read_is_not_booked_as_the_next_block();
    void answers_of_any_lateness_are_booked_only_where_they_belong_data();
    void answers_of_any_lateness_are_booked_only_where_they_belong();
    void write_all_sends_the_record_as_it_was_when_the_write_began();
    void failing_writes_are_retried_without_a_disconnection();
    void file_loaded_during_a_read_all_is_not_overwritten_by_its_replies();
    void a_second_program_is_refused_while_the_first_drives_the_indicator();
    void every_event_arrived_on_the_component_thread();

    void model_name_data();
    void model_name();
    void read_all_takes_every_type_word_bit_data();
    void read_all_takes_every_type_word_bit();

private:
    bool reach(int step);
    void setParams(const TParamImage& params) {
        torvik_->editImage([&](TParamImage& image, TLinTable&) { image = params; });
    }
    int rxCount() const { return rx_; }

    std::unique_ptr<qv7::SimulatedIndicator> indicator_;
    std::unique_ptr<qv7::SimulatedBridge> bridge_;
    std::unique_ptr<TTorvik> torvik_;
    int bridgeIndex_ = 0;
    QStringList log_;
    std::vector<int> readLin_;
    TLinTable completedTable_{};
    float adc1_ = 0, adc2_ = 0;
    int rx_ = 0;
    int wrongThread_ = 0;
    int events_ = 0;
};

// The component paces itself: waits until the transfer has come to `step`.
bool tst_Torvik::reach(int step) {
    if (QTest::qWaitFor([&] { return torvik_->Step.load() == step; }, 3000)) return true;
    qWarning("step %d not reached (Step is %d)", step, torvik_->Step.load());
    return false;
}

void tst_Torvik::initTestCase() {
    indicator_ = std::make_unique<SimulatedIndicator>();
    bridge_ = std::make_unique<qv7::SimulatedBridge>();
    bridgeIndex_ = bridge_->addBridge("0001", indicator_.get());
    torvik_ = std::make_unique<TTorvik>(*bridge_);
    // No repeat comes by itself: a test that wants one ticks.
    torvik_->setStepInterval(24 * 3600 * 1000);

    auto note = [this](const QString& text) {
        ++events_;
        if (QThread::currentThread() != torvik_->thread()) ++wrongThread_;
        log_ << text;
    };
    TTorvik& t = *torvik_;
    t.OnConnect = [=](TComponent*) { note("connect"); };
    t.OnDisconnect = [=](TComponent*) { note("disconnect"); };
    t.OnReadAllCompleted = [=](TComponent*) { note("readall"); };
    t.OnWriteAllCompleted = [=](TComponent*) { note("writeall"); };
    t.OnReadLin = [=, this](TComponent*, int position) {
        note("readlin");
        readLin_.push_back(position);
    };
    t.OnReadLinCompleted = [=, this](TComponent*, const TLinTable& table) {
        note("readlincompleted");
        completedTable_ = table;
    };
    t.OnWriteLin = [=](TComponent*, int position) { note(QStringLiteral("writelin %1").arg(position)); };
    t.OnWriteLinCompleted = [=](TComponent*) { note("writelincompleted"); };
    t.OnWordBlockWriting = [=](TComponent*) { note("wbw"); };
    t.OnReadADCValues = [=, this](TComponent*, float f1, float f2) {
        note("adc");
        adc1_ = f1;
        adc2_ = f2;
    };
    t.RxDebugStream = [this](TComponent*, const std::string&) {
        if (QThread::currentThread() != torvik_->thread()) ++wrongThread_;
        ++rx_;
    };
    t.TxDebugStream = [this](TComponent*, const std::string& text) {
        if (QThread::currentThread() != torvik_->thread()) ++wrongThread_;
        QVERIFY(text.starts_with("TX : FF "));
    };

    QCOMPARE(t.ScanDevices(), 1);
    QVERIFY(t.OpenDevice(1));
    QVERIFY(!t.DeviceText.isEmpty());
    // The scan selects the indicator and the open selects it again: each open says so. Both are
    // awaited, or the second lands in the first case's log on a slow machine.
    QTRY_COMPARE_WITH_TIMEOUT(log_.count("connect"), 2, 3000);
}

void tst_Torvik::init() {
    // Let replies of the previous case land before its log is dropped.
    QTest::qWait(20);
    indicator_->clearFaults();
    indicator_->clearRequests();
    log_.clear();
    readLin_.clear();
}

void tst_Torvik::cleanupTestCase() {
    torvik_.reset();
    bridge_.reset();
    indicator_.reset();
}

void tst_Torvik::read_all_fills_params_from_the_indicator() {
    torvik_->ReadAll();
    QCOMPARE(torvik_->Step.load(), 1);
    QTRY_COMPARE(log_, QStringList{"readall"});
    QCOMPARE(torvik_->Step.load(), -1);

    qv7::ConfigRegisters registers{};
    for (int r = 0; r < 28; ++r)
        registers[static_cast<std::size_t>(r)] = indicator_->holding(r);
    TParamImage expected;
    qv7::paramsFromRegisters(expected, registers);
    QCOMPARE(qv7::registersFromParams(torvik_->paramsSnapshot()), qv7::registersFromParams(expected));
    QCOMPARE(torvik_->paramsSnapshot().Protection, registers[11] & 3);
    QCOMPARE(torvik_->paramsSnapshot().DeviceType, std::uint32_t{indicator_->input(0)});
    QCOMPARE(torvik_->ModelName(), qv7::BuildModelName(indicator_->input(0)));
    QCOMPARE(torvik_->FourDigits(), (indicator_->input(0) & 4) != 0);

    const auto requests = indicator_->requests();
    QCOMPARE(requests.size(), std::size_t{3});
    QCOMPARE(function(requests[0]), 4);
    QCOMPARE(function(requests[1]), 3);
    QCOMPARE(startAddress(requests[1]), 0);
    QCOMPARE(startAddress(requests[2]), 16);
}

void tst_Torvik::write_all_leaves_the_record_in_the_indicator() {
    TParamImage p = torvik_->paramsSnapshot();
    p.DisplayHigh = -1234;
    p.Filter = 0x12345;
    p.Protection = 3;
    p.Alarms[1].Threshold = 4321;
    p.Alarms[3].Delay = 0x96;
    p.Alarms[3].AlarmFlags = 0x11;
    setParams(p);
    torvik_->WriteAll();
    QCOMPARE(torvik_->Step.load(), 101);
    QTRY_COMPARE(log_, (QStringList{"wbw", "writeall", "wbw"}));
    QCOMPARE(torvik_->Step.load(), 0);
    const auto sent = qv7::registersFromParams(p);
    for (int r = 0; r < 28; ++r)
        if (r < 12 || r >= 16) QCOMPARE(indicator_->holding(r), sent[static_cast<std::size_t>(r)]);
    QCOMPARE(indicator_->holding(3), std::uint16_t{0x2345});
    QCOMPARE(indicator_->holding(27), std::uint16_t{0x1196});
}

void tst_Torvik::never_filled_record_writes_zero_registers() {
    const TParamImage kept = torvik_->paramsSnapshot();
    setParams(TParamImage{});
    torvik_->WriteAll();
    QVERIFY(reach(0));
    const auto requests = indicator_->requests();
    QCOMPARE(requests.size(), std::size_t{2});
    for (const auto& frame : requests) {
        QCOMPARE(frame.size(), std::size_t{9 + 24});
        for (std::size_t i = 7; i < 7 + 24; ++i)
            QCOMPARE(frame[i], std::uint8_t{0});
    }
    for (int r = 0; r < 12; ++r)
        QCOMPARE(indicator_->holding(r), std::uint16_t{0});
    setParams(kept);
}

void tst_Torvik::table_read_reports_every_register_and_converts_the_table() {
    const TLinTable table = sampleTable(0.75f);
    const auto registers = qv7::registersFromLinTable(table);
    for (int i = 0; i < 128; ++i)
        indicator_->setHolding(32 + i, registers[static_cast<std::size_t>(i)]);
    torvik_->ReadLin();
    QTRY_VERIFY(log_.contains("readlincompleted"));
    QCOMPARE(torvik_->Step.load(), -1);
    QCOMPARE(readLin_.size(), std::size_t{128});
    for (int i = 0; i < 128; ++i)
        QCOMPARE(readLin_[static_cast<std::size_t>(i)], i);
    QCOMPARE(log_.last(), QStringLiteral("readlincompleted"));
    QVERIFY(torvik_->linTableSnapshot() == table);
    QVERIFY(completedTable_ == table);
}

void tst_Torvik::table_write_reports_each_block_then_register_2() {
    torvik_->editImage([](TParamImage& params, TLinTable& lin) {
        lin = sampleTable(1.0f);
        params.LinEnable = 1;
        params.LinLastPoint = 7;
    });
    torvik_->WriteLin();
    QCOMPARE(torvik_->Step.load(), 110);
    QStringList expected;
    for (int block = 0; block < 8; ++block)
        expected << QStringLiteral("writelin %1").arg(16 * block + 15) << "wbw";
    expected << "writelincompleted"
             << "wbw";
    QTRY_COMPARE(log_, expected);

    const auto registers = qv7::registersFromLinTable(torvik_->linTableSnapshot());
    for (int i = 0; i < 128; ++i)
        QCOMPARE(indicator_->holding(32 + i), registers[static_cast<std::size_t>(i)]);
    QCOMPARE(indicator_->holding(2), std::uint16_t{0x0701});
    const auto requests = indicator_->requests();
    QCOMPARE(requests.size(), std::size_t{9});
    QCOMPARE(function(requests.back()), 16);
    QCOMPARE(startAddress(requests.back()), 2);
    QCOMPARE(requests.back().size(), std::size_t{9 + 2});
}

void tst_Torvik::read_all_abandons_a_running_table_read() {
    // The second block's reply is lost, so the table read waits there.
    indicator_->injectFault(SimulatedIndicator::Fault::DropReply, 1, 1);
    torvik_->ReadLin();
    QVERIFY(reach(11));
    QTRY_COMPARE(indicator_->requests().size(), std::size_t{2});
    torvik_->ReadAll();
    QTRY_VERIFY(log_.contains("readall"));
    QCOMPARE(readLin_.size(), std::size_t{16});
    QVERIFY(!log_.contains("readlincompleted"));
    QCOMPARE(function(indicator_->requests()[2]), 4);
}

void tst_Torvik::late_table_reply_after_read_all_is_not_booked() {
    const TLinTable before = torvik_->linTableSnapshot();
    const auto registers = qv7::registersFromLinTable(sampleTable(0.5f));
    for (int i = 0; i < 128; ++i)
        indicator_->setHolding(32 + i, registers[static_cast<std::size_t>(i)]);
    indicator_->setReplyDelay(std::chrono::milliseconds(100));
    indicator_->injectFault(SimulatedIndicator::Fault::Delay, 1);
    const int rxBefore = rxCount();
    torvik_->ReadLin(); // the first block's read, answered late
    QTRY_COMPARE(indicator_->requests().size(), std::size_t{1});
    torvik_->ReadAll(); // the user starts a read-all before that answer
    QTRY_VERIFY_WITH_TIMEOUT(rxCount() > rxBefore, 3000);
    QTest::qWait(20);
    QVERIFY(readLin_.empty());
    QVERIFY(!log_.contains("readlincompleted"));
    QVERIFY(torvik_->linTableSnapshot() == before);
    // The late answer took the type word's place: the type word's own answer found no request.
    torvik_->StepTimer();
    QTRY_VERIFY(log_.contains("readall"));
    QVERIFY(readLin_.empty());
}

void tst_Torvik::command_register_echo_changes_nothing() {
    const TParamImage before = torvik_->paramsSnapshot();
    const int rxBefore = rxCount();
    const std::int32_t step = torvik_->Step.load();
    torvik_->AdjustZero1();
    QTRY_VERIFY_WITH_TIMEOUT(rxCount() > rxBefore, 3000);
    QTest::qWait(20);
    QCOMPARE(indicator_->holding(1000), std::uint16_t{1});
    QCOMPARE(torvik_->Master().HoldingRegisters[1000].load(), std::uint16_t{1});
    QVERIFY(torvik_->paramsSnapshot() == before);
    QCOMPARE(torvik_->Step.load(), step);
    QVERIFY(log_.isEmpty());
}

void tst_Torvik::dropped_reply_is_asked_again_on_the_next_tick() {
    indicator_->injectFault(SimulatedIndicator::Fault::DropReply, 1);
    torvik_->ReadAll();
    QVERIFY(QTest::qWaitFor([&] { return indicator_->requests().size() == 1; }, 3000));
    QTest::qWait(30);
    QCOMPARE(torvik_->Step.load(), 1);
    torvik_->StepTimer();
    QTRY_VERIFY(log_.contains("readall"));
    // The type word, the probe (input registers 1-2) that proves its answer will not come late, the
    // type word again, registers 0-11 and 16-27.
    const auto requests = indicator_->requests();
    QCOMPARE(requests.size(), std::size_t{5});
    QCOMPARE(function(requests[1]), 4);
    QCOMPARE(startAddress(requests[1]), 1);
    QCOMPARE(requests[0], requests[2]);
    QCOMPARE(torvik_->repeatsSent() > 0, true);
}

void tst_Torvik::exception_reply_leaves_the_step_for_the_next_tick() {
    indicator_->injectFault(SimulatedIndicator::Fault::Exception, 1);
    const int rxBefore = rxCount();
    torvik_->WriteAll();
    QTRY_VERIFY_WITH_TIMEOUT(rxCount() > rxBefore, 3000);
    QTest::qWait(20);
    QCOMPARE(torvik_->Step.load(), 101);
    QVERIFY(log_.isEmpty());
    torvik_->StepTimer();
    QTRY_VERIFY(log_.contains("writeall"));
    QCOMPARE(torvik_->Step.load(), 0);
}

void tst_Torvik::adc_values_arrive_as_two_floats() {
    const auto w1 = qv7::wordsFromFloat(12.5f);
    const auto w2 = qv7::wordsFromFloat(-0.0625f);
    indicator_->setInput(5, w1[0]);
    indicator_->setInput(6, w1[1]);
    indicator_->setInput(7, w2[0]);
    indicator_->setInput(8, w2[1]);
    torvik_->ReadADCValues();
    QTRY_COMPARE_WITH_TIMEOUT(log_, QStringList{"adc"}, 3000);
    QCOMPARE(adc1_, 12.5f);
    QCOMPARE(adc2_, -0.0625f);
}

void tst_Torvik::unknown_step_falls_back_to_idle() {
    for (int step : {-5, 4, 18, 51, 61, 103, 119}) {
        torvik_->Step = step;
        torvik_->StepTimer();
        QCOMPARE(torvik_->Step.load(), -1);
    }
    QTest::qWait(20);
    QVERIFY(indicator_->requests().empty());
}

void tst_Torvik::save_and_load_go_through_the_dialogs() {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    torvik_->setDialogs(&dialogs);
    dialogs.answer = dir.filePath("indicateur.QV");
    const TParamImage before = torvik_->paramsSnapshot();
    QVERIFY(torvik_->SaveToFile());
    QCOMPARE(dialogs.asked.size(), std::size_t{1});
    const auto save = dialogs.asked[0]; // a copy: the next dialog grows the vector
    QVERIFY(dialogs.askedSave[0]);
    QCOMPARE(save.title, QStringLiteral("sauve un fichier indicateur"));
    QCOMPARE(save.filter, QStringLiteral("Fichiers indicateur (*.QV)|*.QV|Tous les fichiers (*.*)|*.*"));
    QCOMPARE(save.directory, QStringLiteral("."));
    QCOMPARE(save.proposedName, torvik_->ModelName());
    QCOMPARE(save.defaultExtension, QStringLiteral("QV"));
    QVERIFY(save.confirmOverwrite);
    QCOMPARE(torvik_->paramsSnapshot().Magic[0], std::uint8_t{20});

    torvik_->editImage([&](TParamImage& params, TLinTable&) {
        params.DisplayHigh = static_cast<std::int16_t>(before.DisplayHigh + 1);
    });
    QVERIFY(torvik_->LoadFromFile());
    const auto load = dialogs.asked[1];
    QVERIFY(!dialogs.askedSave[1]);
    QCOMPARE(load.title, QStringLiteral("Charge un fichier indicateur"));
    QCOMPARE(load.filter, save.filter);
    QVERIFY(load.proposedName.isEmpty());
    QVERIFY(load.defaultExtension.isEmpty());
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(torvik_->paramsSnapshot().DisplayHigh, before.DisplayHigh);
    torvik_->setDialogs(nullptr);
}

void tst_Torvik::load_rejections_show_their_message_and_keep_params() {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    torvik_->setDialogs(&dialogs);
    TParamImage other = torvik_->paramsSnapshot();
    other.DeviceType ^= 0x0100;
    qv7::saveParamFile(dir.filePath("other.QV"), other);
    const TParamImage before = torvik_->paramsSnapshot();
    dialogs.answer = dir.filePath("other.QV");
    QVERIFY(torvik_->LoadFromFile());
    QCOMPARE(dialogs.messages, QStringList{"Le fichier ne correspond pas à ce type d'appareil"});
    QVERIFY(torvik_->paramsSnapshot() == before);

    dialogs.answer = dir.filePath("missing.QV");
    QVERIFY_THROWS_EXCEPTION(qv7::EInOutError, torvik_->LoadFromFile());
    QVERIFY(torvik_->paramsSnapshot() == before);
    torvik_->setDialogs(nullptr);
}

void tst_Torvik::cancelled_dialogs_do_nothing() {
    ScriptedDialogs dialogs;
    torvik_->setDialogs(&dialogs);
    const TParamImage before = torvik_->paramsSnapshot();
    QVERIFY(torvik_->SaveToFile());
    QVERIFY(torvik_->LoadFromFile());
    QCOMPARE(dialogs.asked.size(), std::size_t{2});
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(torvik_->paramsSnapshot() == before);
    torvik_->setDialogs(nullptr);
}

void tst_Torvik::unplug_mid_transfer_keeps_the_step_and_reports_disconnect() {
    // The second block's reply is lost, so the table read waits there while the device goes.
    indicator_->injectFault(SimulatedIndicator::Fault::DropReply, 1, 1);
    torvik_->ReadLin();
    QVERIFY(reach(11));
    QTRY_COMPARE(indicator_->requests().size(), std::size_t{2});
    bridge_->unplug(bridgeIndex_);
    QTRY_VERIFY_WITH_TIMEOUT(log_.contains("disconnect"), 3000);
    torvik_->StepTimer();
    QTest::qWait(20);
    QCOMPARE(torvik_->Step.load(), 11);
    bridge_->plug(bridgeIndex_);
    QTRY_VERIFY_WITH_TIMEOUT(log_.contains("connect"), 3000);
    torvik_->StepTimer();
    QTRY_VERIFY(log_.contains("readlincompleted"));
    QCOMPARE(readLin_.size(), std::size_t{128});
}

void tst_Torvik::late_answer_to_a_repeated_read_is_not_booked_as_the_next_block() {
    // Every block holds other values, so a block booked in another's place shows in the table.
    const TLinTable table = sampleTable(0.625f);
    const auto registers = qv7::registersFromLinTable(table);
    for (int i = 0; i < 128; ++i)
        indicator_->setHolding(32 + i, registers[static_cast<std::size_t>(i)]);
    for (int delayed : {0, 3, 7}) {
        indicator_->clearRequests();
        log_.clear();
        torvik_->editImage([](TParamImage&, TLinTable& lin) { lin = TLinTable{}; });
        // The answer to the first copy comes after the repeat went out; both copies are answered.
        indicator_->setReplyDelay(std::chrono::milliseconds(60));
        indicator_->injectFault(SimulatedIndicator::Fault::Delay, 1, delayed);
        torvik_->ReadLin();
        QTRY_COMPARE(indicator_->requests().size(), std::size_t(delayed + 1));
        torvik_->StepTimer();
        QTRY_VERIFY_WITH_TIMEOUT(log_.contains("readlincompleted"), 3000);
        QVERIFY2(torvik_->linTableSnapshot() == table,
                 qPrintable(QStringLiteral("block %1 delayed").arg(delayed)));
        QVERIFY(completedTable_ == table);
        QCOMPARE(indicator_->requests().size(), std::size_t{9});
    }
}

void tst_Torvik::answers_of_any_lateness_are_booked_only_where_they_belong_data() {
    QTest::addColumn<bool>("table");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("delayed"); // requests answered in time before the late one
    // The repeat interval is 30 ms: answers 3.7, 10 and 33 times later than it, as 1.1 s, 3 s and
    // 10 s are to qv7ctl's 300 ms.
    QTest::newRow("registers 0-11, 110 ms late") << false << 110 << 1;
    QTest::newRow("registers 0-11, 300 ms late") << false << 300 << 1;
    QTest::newRow("registers 0-11, 1000 ms late") << false << 1000 << 1;
    QTest::newRow("type word, 300 ms late") << false << 300 << 0;
    QTest::newRow("table block 3, 300 ms late") << true << 300 << 3;
    QTest::newRow("table block 0, 1000 ms late") << true << 1000 << 0;
}

void tst_Torvik::answers_of_any_lateness_are_booked_only_where_they_belong() {
    QFETCH(bool, table);
    QFETCH(int, delayMs);
    QFETCH(int, delayed);
    // Every register holds a value of its own, so one booked in another's place shows.
    std::vector<std::uint16_t> before(160);
    for (int r = 0; r < 160; ++r) {
        before[static_cast<std::size_t>(r)] = indicator_->holding(r);
        if (r < 12 || (r >= 16 && r < 28) || r >= 32)
            indicator_->setHolding(r, static_cast<std::uint16_t>(0x300 + r));
    }
    for (int r = 0; r < 160; ++r)
        torvik_->Master().HoldingRegisters[static_cast<std::size_t>(r)] = 0;
    const int probes = torvik_->probesSent();
    torvik_->setStepInterval(30);
    torvik_->pacing().setResponseAllowance(std::chrono::milliseconds(5));
    indicator_->setReplyDelay(std::chrono::milliseconds(delayMs));
    indicator_->injectFault(SimulatedIndicator::Fault::Delay, 1, delayed);
    if (table)
        torvik_->ReadLin();
    else
        torvik_->ReadAll();
    const bool done = QTest::qWaitFor([&] { return log_.contains(table ? "readlincompleted" : "readall"); },
                                      delayMs + 3000);
    torvik_->setStepInterval(24 * 3600 * 1000);
    torvik_->pacing().setResponseAllowance(qv7::RequestPacing::ResponseAllowance);
    for (int r = 0; r < 160; ++r)
        indicator_->setHolding(r, before[static_cast<std::size_t>(r)]);
    QVERIFY(done);
    for (int r = table ? 32 : 0; r < (table ? 160 : 28); ++r)
        if (r < 12 || r >= 16)
            QCOMPARE(torvik_->Master().HoldingRegisters[static_cast<std::size_t>(r)].load(), 0x300 + r);
    if (!table) QCOMPARE(torvik_->paramsSnapshot().DisplayHigh, std::int16_t{0x304}); // register 4
    // The late answer cost one probe at least; the read had to ask for it again.
    QVERIFY(torvik_->probesSent() > probes);
}

void tst_Torvik::write_all_sends_the_record_as_it_was_when_the_write_began() {
    TParamImage p = torvik_->paramsSnapshot();
    p.DisplayHigh = 4321;
    p.Alarms[2].Threshold = -77;
    setParams(p);
    const auto sent = qv7::registersFromParams(p);
    torvik_->WriteAll();
    // What read replies do to the master's image before the write goes out, and the window changing
    // the record after it started the write, both change nothing on the indicator.
    for (auto& r : torvik_->Master().HoldingRegisters)
        r = 0xDEAD;
    torvik_->editImage([](TParamImage& params, TLinTable&) { params.DisplayHigh = 1; });
    QTRY_VERIFY(log_.contains("writeall"));
    for (int r = 0; r < 28; ++r)
        if (r < 12 || r >= 16) QCOMPARE(indicator_->holding(r), sent[static_cast<std::size_t>(r)]);
}

void tst_Torvik::failing_writes_are_retried_without_a_disconnection() {
    const auto sent = qv7::registersFromParams(torvik_->paramsSnapshot());
    for (int r = 0; r < 28; ++r)
        indicator_->setHolding(r, 0);
    // Failures for longer than the hand-off limit: the first block's report stays unsent.
    bridge_->failWrites(bridgeIndex_, 1000000);
    torvik_->WriteAll();
    QTest::qWait(250);
    QCOMPARE(torvik_->Step.load(), 101);
    bridge_->failWrites(bridgeIndex_, 0);
    torvik_->StepTimer();
    QTRY_VERIFY(log_.contains("writeall"));
    QVERIFY(!log_.contains("disconnect"));
    QVERIFY(!log_.contains("connect"));
    for (int r = 0; r < 28; ++r)
        if (r < 12 || r >= 16) QCOMPARE(indicator_->holding(r), sent[static_cast<std::size_t>(r)]);
}

void tst_Torvik::file_loaded_during_a_read_all_is_not_overwritten_by_its_replies() {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    torvik_->setDialogs(&dialogs);
    TParamImage file = torvik_->paramsSnapshot();
    file.DisplayHigh = static_cast<std::int16_t>(indicator_->holding(3) ^ 0x1111);
    qv7::saveParamFile(dir.filePath("file.QV"), file);
    dialogs.answer = dir.filePath("file.QV");
    for (int delayed : {0, 1, 2}) { // the type word's, the configuration's, the alarms' answer
        indicator_->setReplyDelay(std::chrono::milliseconds(80));
        indicator_->injectFault(SimulatedIndicator::Fault::Delay, 1, delayed);
        indicator_->clearRequests();
        log_.clear();
        const int rxBefore = rxCount();
        torvik_->ReadAll();
        QTRY_COMPARE(indicator_->requests().size(), std::size_t(delayed + 1));
        QVERIFY(torvik_->LoadFromFile());
        QTRY_VERIFY_WITH_TIMEOUT(rxCount() > rxBefore + delayed, 3000);
        QTest::qWait(30);
        QVERIFY2(torvik_->paramsSnapshot() == file,
                 qPrintable(QStringLiteral("answer %1 late").arg(delayed)));
        QCOMPARE(torvik_->Step.load(), -1);
        QVERIFY(!log_.contains("readall"));
    }
    torvik_->setDialogs(nullptr);
}

void tst_Torvik::a_second_program_is_refused_while_the_first_drives_the_indicator() {
    TTorvik second(*bridge_);
    QVERIFY(!second.OpenDevice(1));
    QCOMPARE(second.LockHolder(), QCoreApplication::applicationPid());
    QVERIFY(second.DeviceText.isEmpty());
    // The first one opening its indicator again (a new scan) keeps its lock.
    QVERIFY(torvik_->OpenDevice(1));
    QCOMPARE(torvik_->LockHolder(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(log_.contains("connect"), 3000);
}

void tst_Torvik::every_event_arrived_on_the_component_thread() {
    QVERIFY(events_ > 300);
    QCOMPARE(wrongThread_, 0);
}

void tst_Torvik::model_name_data() {
    QTest::addColumn<uint>("typeWord");
    QTest::addColumn<QString>("expected");
    const QString in = QString::fromLatin1(qv7::InputCodes[14 - 8]);
    QTest::newRow("0 gives the bare prefix") << 0u << "Qv7-";
    QTest::newRow("4105: second family, bit 14's input, alarm code 1 adds nothing") << 0x4105u << "Pel-" + in;
    QTest::newRow("0102: four alarms replace the input code")
        << 0x0102u << QStringLiteral("Qv7-") + qv7::FourAlarmCode;
    QTest::newRow("four alarms also drop the second family's prefix")
        << 0x4107u << QStringLiteral("Qv7-") + qv7::FourAlarmCode;
    QTest::newRow("bit 15 outranks bits 13 to 8")
        << 0xBF00u << "Qv7-" + QString::fromLatin1(qv7::InputCodes[7]);
    QTest::newRow("bit 8 alone") << 0x0100u << "Qv7-" + QString::fromLatin1(qv7::InputCodes[0]);
    QTest::newRow("bit 14 outranks bit 15") << 0xC000u << "Qv7-" + QString::fromLatin1(qv7::InputCodes[6]);
    QTest::newRow("option suffixes follow the alarm code")
        << 0x0063u
        << QStringLiteral("Qv7-") + qv7::FourAlarmCode + qv7::OptionSuffixBit5 + qv7::OptionSuffixBit6;
    QTest::newRow("analogue output bit adds nothing") << 0x0010u << "Qv7-";
}

void tst_Torvik::model_name() {
    QFETCH(uint, typeWord);
    QFETCH(QString, expected);
    QCOMPARE(qv7::BuildModelName(typeWord), expected);
}

void tst_Torvik::read_all_takes_every_type_word_bit_data() {
    QTest::addColumn<uint>("typeWord");
    QTest::addColumn<bool>("fourDigits");
    QTest::addColumn<QString>("model");
    QTest::newRow("nothing") << 0x0000u << false << "Qv7-";
    QTest::newRow("bit 2: the second family, four digits") << 0x0004u << true << "Pel-";
    QTest::newRow("bits 15, 14, 8 and 2") << 0xC104u << true << "Pel-UNI";
    QTest::newRow("bit 15 and the option of bit 5") << 0x8020u << false << "Qv7-UI-OP";
    QTest::newRow("four alarms, bit 2, RS485") << 0x4057u << true << "Qv7-4RL-RS";
    QTest::newRow("the default simulated indicator") << 0x4053u << false << "Qv7-4RL-RS";
}

void tst_Torvik::read_all_takes_every_type_word_bit() {
    QFETCH(uint, typeWord);
    QFETCH(bool, fourDigits);
    QFETCH(QString, model);
    const std::uint16_t before = indicator_->input(0);
    indicator_->setInput(0, static_cast<std::uint16_t>(typeWord));
    torvik_->ReadAll();
    QTRY_VERIFY(log_.contains("readall"));
    indicator_->setInput(0, before);
    QCOMPARE(torvik_->FourDigits(), fourDigits);
    QCOMPARE(torvik_->ModelName(), model);
    QCOMPARE(torvik_->paramsSnapshot().DeviceType, std::uint32_t{typeWord});
}

QTEST_GUILESS_MAIN(tst_Torvik)
#include "tst_Torvik.moc"
