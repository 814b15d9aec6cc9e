#!/usr/bin/env python3
"""Fetches a /metrics page and parses it with prometheus_client's own text parser.

Usage: parse_metrics.py URL
Prints "TYPE family type" for each family and "name label=value,... value" for each sample,
sorted; exits 1 when the page cannot be fetched or does not parse.
"""
import sys
import urllib.request

from prometheus_client.parser import text_string_to_metric_families


def main():
    with urllib.request.urlopen(sys.argv[1], timeout=10) as response:
        content_type = response.headers.get("Content-Type", "")
        text = response.read().decode("utf-8")
    lines = ["CONTENT-TYPE " + content_type]
    for family in text_string_to_metric_families(text):
        lines.append("TYPE %s %s" % (family.name, family.type))
        for sample in family.samples:
            labels = ",".join("%s=%s" % item for item in sorted(sample.labels.items()))
            lines.append("%s %s %g" % (sample.name, labels, sample.value))
    print("\n".join(sorted(lines)))


if __name__ == "__main__":
    try:
        main()
    except Exception as error:  # the test shows why
        print("parse_metrics: %s" % error, file=sys.stderr)
        sys.exit(1)
