"""Sends every message file of a folder over one SMTP connection with Python's smtplib and
prints "SMTPLIB <messages> <seconds>". Arguments: port, folder."""
import os
import smtplib
import sys
import time

port, folder = int(sys.argv[1]), sys.argv[2]
names = sorted(n for n in os.listdir(folder) if n.endswith(".eml"))
messages = []
for name in names:
    with open(os.path.join(folder, name), "rb") as f:
        recipient, data = f.read().split(b"\n", 1)
    messages.append((recipient.decode(), data))

start = time.perf_counter()
with smtplib.SMTP("127.0.0.1", port) as smtp:
    for recipient, data in messages:
        smtp.sendmail("news@korvina.test", [recipient], data)
print("SMTPLIB %d %.3f" % (len(messages), time.perf_counter() - start), flush=True)
