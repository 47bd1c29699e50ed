#!/usr/bin/env python3
"""Stand-in for the vendor's greeting and feedback services, for tests and demos.

  greetings_service.py --port P [--host 127.0.0.1] [--corpus FILE] [--state DIR] [--batch N]

POST .../greetings.php
  Action=GetGreetings  Param2 holiday, Param3 highest usage number the client has,
                       Param4 batches received so far, Param5..7 sex/style/target
                       filters, Param8=1 until the client has seen [Normal].
                       Answers [General], [Normal] (when Param8=1), [Usage] (records
                       numbered above Param3) and the next batch of greetings that suit
                       the holiday and the filters, each as a section named by its WishID
                       with its text scrambled with the key "Korvin".
  Action=SaveUsage     Param2 "identity;holiday;wish;year" lines joined by "|",
                       Param3 as above. Numbers the lines and answers [General] and
                       [Usage].
POST .../contact.php   Action=SendComment, MessageText, SenderEmail, DebugInfo. Stores
                       what arrived (decoded too) and answers "OK".

State (in --state DIR, which tests read and write):
  requests.jsonl   one line per request: script, path, raw body, fields
  contact-N.json   one file per feedback message
  usage.json       the numbered usage records
  mode             one word that changes the answers: "normal" (default), "http500",
                   "refuse" (General with ErrorStr), "nogeneral", "html", "empty"
                   (no greetings), "slow" (answers after two seconds)
  blocked          WishIDs never handed out, one per line
"""
import argparse
import base64
import gzip
import json
import os
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

KEY = b"Korvin"
HERE = os.path.dirname(os.path.abspath(__file__))


def scramble(text):
    data = text.encode("utf-8")
    return base64.b64encode(bytes(b ^ KEY[i % len(KEY)] for i, b in enumerate(data))).decode("ascii")


def escape(value):
    """The option lists' value escaping: control bytes, bytes from 0x80 and '%' as %XX."""
    out = []
    for b in value.encode("utf-8") if isinstance(value, str) else value:
        if b < 0x20 or b >= 0x80 or b == 0x25:
            out.append("%%%02X" % b)
        else:
            out.append(chr(b))
    return "".join(out)


def parse_body(raw):
    fields = {}
    for pair in raw.split("&"):
        if not pair:
            continue
        name, _, value = pair.partition("=")
        fields[name] = value
    return fields


def to_int(text, default=0):
    try:
        return int(text)
    except (TypeError, ValueError):
        return default


class State:
    def __init__(self, folder, corpus, batch):
        self.folder = folder
        self.corpus = corpus
        self.batch = batch
        self.lock = threading.Lock()
        os.makedirs(folder, exist_ok=True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def mode(self):
        try:
            with open(self.path("mode")) as f:
                return f.read().strip() or "normal"
        except OSError:
            return "normal"

    def blocked(self):
        try:
            with open(self.path("blocked")) as f:
                return {to_int(line.strip(), -1) for line in f}
        except OSError:
            return set()

    def record(self, script, path, raw, fields):
        line = {"script": script, "path": path, "body": raw, "fields": fields}
        with self.lock, open(self.path("requests.jsonl"), "a", encoding="utf-8") as f:
            f.write(json.dumps(line, ensure_ascii=False) + "\n")

    def usage(self):
        try:
            with open(self.path("usage.json")) as f:
                return json.load(f)
        except (OSError, ValueError):
            return []

    def save_usage(self, records):
        with open(self.path("usage.json.tmp"), "w") as f:
            json.dump(records, f)
        os.replace(self.path("usage.json.tmp"), self.path("usage.json"))

    def next_contact(self):
        n = 1
        while os.path.exists(self.path("contact-%d.json" % n)):
            n += 1
        return self.path("contact-%d.json" % n)


def usage_section(records, highest):
    lines = ["%d|%d|%d|%d|%d" % (r["number"], r["identity"], r["holiday"], r["wish"], r["year"])
             for r in records if r["number"] > highest]
    if not lines:
        return ""
    return "[Usage]\r\n" + "".join(line + "\r\n" for line in lines) + "\r\n"


def suits(entry, holiday, sex, style, target):
    if entry["FHolidayUID"] not in (0, holiday):
        return False
    for key, wanted in (("FSex", sex), ("FStyle", style), ("FTarget", target)):
        if wanted and entry[key] not in (0, wanted):
            return False
    return True


def greeting_section(entry):
    lines = ["FText=" + escape(scramble(entry["FText"]))]
    for key in ("FMinAge", "FMaxAge", "FSex", "FStyle", "FTarget", "FHolidayUID"):
        lines.append("%s=%d" % (key, entry[key]))
    return "[%d]\r\n" % entry["WishID"] + "".join(line + "\r\n" for line in lines) + "\r\n"


def get_greetings(state, fields, mode):
    holiday = to_int(fields.get("Param2"))
    highest = to_int(fields.get("Param3"))
    batch = to_int(fields.get("Param4"))
    sex, style, target = (to_int(fields.get(p)) for p in ("Param5", "Param6", "Param7"))
    blocked = state.blocked()
    fitting = [e for e in state.corpus
               if e["WishID"] not in blocked and suits(e, holiday, sex, style, target)]
    chosen = [] if mode == "empty" else fitting[batch * state.batch:(batch + 1) * state.batch]
    body = "[General]\r\nResult=OK\r\n\r\n"
    if fields.get("Param8") == "1":
        body += "[Normal]\r\nCount=%d\r\n\r\n" % len(fitting)
    with state.lock:
        body += usage_section(state.usage(), highest)
    return body + "".join(greeting_section(e) for e in chosen)


def save_usage(state, fields):
    highest = to_int(fields.get("Param3"))
    with state.lock:
        records = state.usage()
        number = max([r["number"] for r in records], default=0)
        for line in urllib.parse.unquote_plus(fields.get("Param2", "")).split("|"):
            parts = line.split(";")
            if len(parts) != 4 or not all(p.lstrip("-").isdigit() for p in parts):
                continue
            identity, holiday, wish, year = (int(p) for p in parts)
            number += 1
            records.append({"number": number, "identity": identity, "holiday": holiday, "wish": wish, "year": year})
        state.save_usage(records)
        return "[General]\r\nResult=OK\r\n\r\n" + usage_section(records, highest)


def decode_field(value):
    data = base64.b64decode(urllib.parse.unquote_plus(value) + "===")
    return data.decode("cp1251", errors="replace")


def contact(state, raw, fields):
    record = {"body": raw, "fields": fields}
    try:
        record["MessageText"] = decode_field(fields.get("MessageText", ""))
        record["SenderEmail"] = decode_field(fields.get("SenderEmail", ""))
        debug = urllib.parse.unquote_plus(fields.get("DebugInfo", ""))
        record["DebugInfo"] = gzip.decompress(base64.b64decode(debug)).decode("cp1251", errors="replace") if debug else ""
    except Exception as error:  # keep what arrived even when it does not decode
        record["error"] = str(error)
    with state.lock:
        path = state.next_contact()
        with open(path + ".tmp", "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False)
        os.replace(path + ".tmp", path)
    return "OK"


def make_handler(state):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, format, *args):
            pass

        def answer(self, status, body, content_type="text/plain; charset=windows-1251"):
            data = body.encode("utf-8") if isinstance(body, str) else body
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def do_GET(self):
            self.answer(404, "Not found")

        def do_POST(self):
            length = to_int(self.headers.get("Content-Length"))
            raw = self.rfile.read(length).decode("latin-1") if length > 0 else ""
            fields = parse_body(raw)
            script = self.path.rsplit("/", 1)[-1].split("?", 1)[0]
            # Through a proxy the path is the whole address.
            state.record(script, self.path, raw, fields)
            mode = state.mode()
            if mode == "slow":
                time.sleep(2)
            if mode == "http500":
                return self.answer(500, "Internal Server Error")
            if mode == "html":
                return self.answer(200, "<html><body>Service unavailable</body></html>", "text/html")
            if script == "contact.php":
                return self.answer(200, contact(state, raw, fields))
            if script != "greetings.php":
                return self.answer(404, "Not found")
            if mode == "refuse":
                return self.answer(200, "[General]\r\nErrorStr=Service is closed for maintenance\r\n")
            action = fields.get("Action")
            if action == "GetGreetings":
                body = get_greetings(state, fields, mode)
            elif action == "SaveUsage":
                body = save_usage(state, fields)
            else:
                body = "[General]\r\nErrorStr=Unknown action\r\n"
            if mode == "nogeneral":
                body = body.replace("[General]\r\nResult=OK\r\n\r\n", "")
            self.answer(200, body)

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--corpus", default=os.path.join(HERE, "greetings_corpus.json"))
    parser.add_argument("--state", default=os.path.join(os.getcwd(), "service-state"))
    parser.add_argument("--batch", type=int, default=10)
    args = parser.parse_args()
    with open(args.corpus, encoding="utf-8") as f:
        corpus = json.load(f)
    state = State(args.state, corpus, max(1, args.batch))
    server = ThreadingHTTPServer((args.host, args.port), make_handler(state))
    server.daemon_threads = True
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
