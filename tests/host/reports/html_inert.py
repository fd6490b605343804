#!/usr/bin/env python3
"""Reads a list report's HTML page as a browser's parser would and fails when
the data could have become markup.

    html_inert.py PAGE TEXTS.json --scripts N --links N

TEXTS.json lists texts the rows held: each must come back as the page's text,
none may reach a script, a style or an attribute. The page may hold only the
writers' own elements and attributes, exactly N scripts and N links, links
only to http(s) URLs and pictures only as data URIs of picture types.
"""
import argparse
import json
import sys
from html.parser import HTMLParser

TAGS = {"html", "head", "meta", "title", "style", "script", "body", "h1", "p", "div", "img",
        "table", "thead", "tbody", "tr", "th", "td", "a"}
ATTRIBUTES = {"charset", "http-equiv", "content", "name", "class", "id", "href", "rel", "src", "alt"}
PICTURE_SOURCES = ("data:image/png;base64,", "data:image/jpeg;base64,")


class Page(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.problems = []
        self.scripts = []
        self.styles = []
        self.text = []
        self.links = 0
        self.attribute_values = []
        self.open = []

    def handle_starttag(self, tag, attrs):
        if tag not in TAGS:
            self.problems.append("element <%s>" % tag)
        for name, value in attrs:
            value = value or ""
            self.attribute_values.append(value)
            if name not in ATTRIBUTES:
                self.problems.append("attribute %s=%r on <%s>" % (name, value, tag))
            if name == "href":
                self.links += 1
                if not value.lower().startswith(("http://", "https://")):
                    self.problems.append("link to %r" % value)
            if name == "src" and not value.startswith(PICTURE_SOURCES):
                self.problems.append("picture from %r" % value[:60])
        if tag in ("script", "style"):
            (self.scripts if tag == "script" else self.styles).append("")
        self.open.append(tag)

    def handle_endtag(self, tag):
        if self.open and self.open[-1] == tag:
            self.open.pop()

    def handle_data(self, data):
        where = self.open[-1] if self.open else ""
        if where == "script":
            self.scripts[-1] += data
        elif where == "style":
            self.styles[-1] += data
        else:
            self.text.append(data)

    def handle_comment(self, data):
        self.problems.append("comment %r" % data[:60])

    def handle_pi(self, data):
        self.problems.append("processing instruction %r" % data[:60])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page")
    parser.add_argument("texts")
    parser.add_argument("--scripts", type=int, required=True)
    parser.add_argument("--links", type=int, required=True)
    args = parser.parse_args()
    with open(args.page, encoding="utf-8", newline="") as source:  # strict UTF-8, line ends kept
        html = source.read()
    with open(args.texts, encoding="utf-8") as source:
        texts = json.load(source)
    page = Page()
    page.feed(html)
    page.close()
    problems = page.problems
    if len(page.scripts) != args.scripts:
        problems.append("%d scripts, not %d" % (len(page.scripts), args.scripts))
    if page.links != args.links:
        problems.append("%d links, not %d" % (page.links, args.links))
    shown = "".join(page.text)
    for text in texts:
        if text not in shown:
            problems.append("text %r not shown" % text)
        for code in page.scripts + page.styles:
            if len(text) > 3 and text in code:
                problems.append("text %r inside a script or style" % text)
        for value in page.attribute_values:
            if len(text) > 3 and text in value and not value.lower().startswith(("http", "data:")):
                problems.append("text %r inside an attribute" % text)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
