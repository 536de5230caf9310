// Turns an answer into its body HTML in the helper process pellmark-page-body, so that a page
// the HTML parser struggles with never holds up the event loop: the helper is killed at once
// when the reading is abandoned, when it takes longer than its time limit, and when it writes
// more than the largest body.
#pragma once

#include "core/Result.h"
#include "page/PageBodyBounds.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <optional>
#include <string>
#include <utility>

namespace pellmark {

// A page whose reading takes longer than this is too complex to read.
inline constexpr std::chrono::milliseconds kPageReadLimit{10'000};

class PageBodyReader : public QObject {
    Q_OBJECT
public:
    // TooComplex: the reading took too long, gave too large a body, or the helper gave up.
    enum class Outcome { Read, TooComplex, Failed };

    explicit PageBodyReader(std::chrono::milliseconds timeLimit = kPageReadLimit,
                            QObject* parent = nullptr);
    // helper stands in for pellmark-page-body, taking the same argument and input.
    PageBodyReader(std::chrono::milliseconds timeLimit, QString helper, QObject* parent = nullptr);
    ~PageBodyReader() override;

    // Abandons any reading in progress; done() follows, never from inside this call.
    void Start(const std::string& response, const std::string& contentType);
    // Abandons the reading in progress; no done() follows for it.
    void Stop();

    // The body HTML after Outcome::Read, handed over once.
    std::string TakeBody() { return std::move(body_); }

    // PELLMARK_PAGE_BODY when set (programs run from the build tree), else next to the running
    // program, else in ../libexec/pellmark beside it.
    static QString HelperPath();
    // Whether the helper is there to read pages; the failure names where it was looked for.
    static Done FindHelper();

signals:
    // detail says what went wrong with Outcome::Failed.
    void done(pellmark::PageBodyReader::Outcome outcome, const QString& detail);

private:
    void Finish(Outcome outcome, const QString& detail = {});
    // False, with the reading ended as too complex, once the body outgrows kLargestBody.
    bool TakeOutput();

    QString helperPath_;
    QTimer limit_;
    QProcess* helper_ = nullptr;
    std::string body_;
};

} // namespace pellmark
