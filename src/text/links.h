#pragma once
// Links in a note's text: web addresses (http://, https://, www.), mail addresses and file:
// links. A link is its text: nothing marks it in the store. What merely looks like an address
// (a version number, a time, a file name) is none.

#include <QList>
#include <QStringView>
#include <QUrl>
#include <optional>

namespace links {

struct Link {
    qsizetype start = 0;
    qsizetype length = 0;
    QUrl url;  // what opening it opens: www. as http://, a mail address as mailto:
    qsizetype end() const { return start + length; }
};

// The links of one paragraph, in order.
QList<Link> in(QStringView paragraph);
// The link that holds the character at `offset` of the paragraph, if any.
std::optional<Link> at(QStringView paragraph, qsizetype offset);
// What "复制链接地址" copies: a web address whole (www. with http://), a mail address without
// mailto:.
QString address(const QUrl& url);

}  // namespace links
