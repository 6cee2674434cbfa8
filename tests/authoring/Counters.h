// The question counts of chapters and exam points recounted from the question rows, compared
// with the stored ones: C3 of the chapters with codes of 1, 2, 4 and 6 characters, q of every
// exam point, and q of every exam-point group (a question counted once per group).
#pragma once

#include "data/Database.h"

#include <QHash>
#include <QSet>
#include <QSqlQuery>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace testsupport {

// One line per counter that differs from the recount ("tab_rule 010101001: stored 3, counted 2").
inline QStringList counterMismatches(const QSqlDatabase &db)
{
    QStringList mismatches;
    auto compare = [&mismatches](const QString &what, const QString &key, qint64 stored,
                                 qint64 counted) {
        if (stored != counted)
            mismatches.append(what + u' ' + key + u": stored "_s + QString::number(stored) +
                              u", counted "_s + QString::number(counted));
    };
    QList<QPair<QString, QStringList>> questions; // chapter, codes
    QSqlQuery q = Db::query(db, u"select A10,K3,K4,K5,K6,K7,K8,K9,K10,K11,K12 from tab_answ"_s);
    while (q.next()) {
        QStringList codes;
        for (int k = 1; k <= 10; ++k) {
            const QString code = q.value(k).toString().toLower();
            if (!code.isEmpty())
                codes.append(code);
        }
        questions.append({q.value(0).toString().toLower(), codes});
    }
    QSqlQuery chapters =
        Db::query(db, u"select C1,C3 from tab_kmmc where length(C1) in (1,2,4,6)"_s);
    while (chapters.next()) {
        const QString code = chapters.value(0).toString().toLower();
        qint64 n = 0;
        for (const auto &question : std::as_const(questions))
            n += question.first.startsWith(code) ? 1 : 0;
        compare(u"tab_kmmc"_s, code, chapters.value(1).toLongLong(), n);
    }
    QSqlQuery points = Db::query(db, u"select ftid,q from tab_rule"_s);
    while (points.next()) {
        const QString code = points.value(0).toString().toLower();
        qint64 n = 0;
        for (const auto &question : std::as_const(questions))
            n += question.second.contains(code) ? 1 : 0;
        compare(u"tab_rule"_s, code, points.value(1).toLongLong(), n);
    }
    QSqlQuery groups = Db::query(db, u"select id,q from tab_fgmc"_s);
    while (groups.next()) {
        const QString id = groups.value(0).toString().toLower();
        qint64 n = 0;
        for (const auto &question : std::as_const(questions)) {
            bool linked = false;
            for (const QString &code : question.second)
                linked = linked || code.left(int(id.size())) == id;
            n += linked ? 1 : 0;
        }
        compare(u"tab_fgmc"_s, id, groups.value(1).toLongLong(), n);
    }
    return mismatches;
}

} // namespace testsupport
