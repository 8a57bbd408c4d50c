#!/usr/bin/env python3
"""Writes the example decks of this folder (all but unit-step-confined.dat).

The decks are committed; run this only to change them:  python3 examples/make_examples.py
Units throughout: metres and days. Stages and recharge are given in metres,
stages as height above the stage before the event (or above a datum where the
title says so); only their changes from line to line drive the model.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def write_deck(name, titles, line3, line4, line5, line6, line7, line8, ns, rows):
    """rows: (time, stage, recharge) for every time-stress line."""
    for t in titles:
        assert len(t) <= 70, t
    lines = list(titles)
    lines += [line3, line4, line5, line6, line7, line8, str(ns), str(len(rows))]
    lines += ["%.4f  %.4f  %.4f" % r for r in rows]
    with open(os.path.join(HERE, name), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def flood_stage(t, peak=2.0, t_peak=1.5, shape=3.0):
    """A single flood wave: a gamma-shaped hydrograph that peaks at t_peak."""
    if t <= 0.0:
        return 0.0
    return peak * (t / t_peak * math.exp(1.0 - t / t_peak)) ** shape


def ramp_and_hold(t, rise, duration):
    """A stage that rises linearly by `rise` over `duration` and then holds."""
    return rise * min(max(t, 0.0) / duration, 1.0)


def spring_flood(t):
    """Snowmelt flood of 1.8 m that recedes to a summer level 0.6 m above winter."""
    if t <= 5.0:
        return 0.0
    if t <= 25.0:
        return 1.8 * (t - 5.0) / 20.0
    if t <= 60.0:
        return 0.6 + 1.2 * (60.0 - t) / 35.0
    return 0.6


def wet_month(t):
    """Recharge at the water table: 0.25 m of rise spread over days 10 to 40."""
    return 0.25 * min(max(t - 10.0, 0.0) / 30.0, 1.0)


def daily_record(days, seed=20240601):
    """A synthetic daily stage record: a seasonal swing plus storm floods.

    The storms come from a fixed linear congruential generator, so the record is
    the same on every machine."""
    state = seed

    def uniform():
        nonlocal state
        state = (1103515245 * state + 12345) % 2**31
        return state / 2**31

    storms = []
    for day in range(days):
        if uniform() < 0.04:
            storms.append((day, 0.4 + 1.6 * uniform(), 3.0 + 6.0 * uniform()))
    record = []
    for day in range(days):
        stage = 0.8 * math.sin(2.0 * math.pi * (day - 80) / 365.25)
        for start, height, recession in storms:
            if day > start:
                lag = day - start
                rise = min(lag / 2.0, 1.0)
                stage += height * rise * math.exp(-max(lag - 2, 0) / recession)
        record.append(round(stage, 3))
    return [r - record[0] for r in record]


def main():
    flood = [(0.1 * k, flood_stage(0.1 * k), 0.0) for k in range(81)]
    write_deck("flood-wave-confined.dat",
               ["Flood wave past a confined sand aquifer, semi infinite, no streambank",
                "Stage above pre-flood level (m); days; well 400 m from stream centre"],
               "0  0.1  1", "0  0  0", "12.5  0.0  0.0  5000.0", "3.0  5.0E-5  15.0",
               "0.0  0.0  0.0  0.0", "400.0  0.0  0.0", 14, flood)
    write_deck("flood-wave-streambank.dat",
               ["Same flood wave, stream lined by a silty semipervious streambank",
                "Bank leakance XAA = 3 m/d * 0.3 m / 0.015 m/d = 60 m; well at 400 m"],
               "0  0.1  1", "0  0  1", "12.5  0.0  60.0  5000.0", "3.0  5.0E-5  15.0",
               "0.0  0.0  0.0  0.0", "400.0  0.0  0.0", 14, flood)
    write_deck("finite-width-confined.dat",
               ["Reservoir release raises the stage 1.5 m in a day, then holds",
                "Confined alluvial aquifer 300 m wide to the valley wall; well at 150 m"],
               "0  0.25  1", "1  0  0", "10.0  300.0  0.0  2000.0", "4.0  2.0E-4  12.0",
               "0.0  0.0  0.0  0.0", "150.0  0.0  0.0", 12,
               [(0.25 * k, ramp_and_hold(0.25 * k, 1.5, 1.0), 0.0) for k in range(81)])
    weir = [(0.25 * k, 52.30 + ramp_and_hold(0.25 * k, 1.2, 0.5), 0.0) for k in range(121)]
    write_deck("leaky-constant-head.dat",
               ["Weir raises the stage from 52.30 to 53.50 m above datum; leaky aquifer",
                "Clay aquitard under a marsh held at constant level; streambank 30 m"],
               "0  0.25  0", "0  1  1", "15.0  0.0  30.0  3000.0", "12.0  1.0E-4  10.0",
               "0.005  5.0E-4  4.0  0.0", "200.0  52.30  0.0", 16, weir)
    melt = [(0.5 * k, ramp_and_hold(0.5 * k, 2.0, 10.0), 0.0) for k in range(161)]
    write_deck("leaky-impervious-layer.dat",
               ["Snowmelt raises the stage 2 m over 10 days; aquifer 400 m wide",
                "Thick clay aquitard closed above by an impervious layer; well at 300 m"],
               "0  0.5  0", "1  2  0", "10.0  400.0  0.0  4000.0", "10.0  1.0E-4  8.0",
               "0.01  1.0E-3  6.0  0.0", "300.0  0.0  0.0", 16, melt)
    days = range(366)
    common = dict(line4="1  3  0", line5="8.0  250.0  0.0  2000.0", line6="15.0  5.0E-5  20.0",
                  line7="0.05  1.0E-3  3.0  0.15", line8="100.0  0.0  0.0", ns=16)
    write_deck("water-table-stage.dat",
               ["Spring flood beside an aquifer under a water-table aquitard",
                "Valley 250 m wide; stage rises 1.8 m, settles 0.6 m up; one year"],
               line3="0  1.0  0", rows=[(d, spring_flood(d), 0.0) for d in days], **common)
    write_deck("water-table-recharge.dat",
               ["Recharge alone under a water-table aquitard, stream stage unchanged",
                "Valley 250 m wide; a wet month raises the water table 0.25 m"],
               line3="1  1.0  0", rows=[(d, 0.0, wet_month(d)) for d in days], **common)
    write_deck("water-table-stage-and-recharge.dat",
               ["Spring flood and a wet month together, water-table aquitard",
                "Stage of water-table-stage.dat with recharge of water-table-recharge"],
               line3="2  1.0  0", rows=[(d, spring_flood(d), wet_month(d)) for d in days], **common)
    record = daily_record(3653)
    write_deck("daily-stage-record.dat",
               ["Ten years of daily stage beside a confined aquifer, semi infinite",
                "Stage change since day 0 (m); seasonal swing and storm floods"],
               "0  1.0  0", "0  0  0", "20.0  0.0  0.0  10000.0", "2.0  1.0E-4  25.0",
               "0.0  0.0  0.0  0.0", "500.0  0.0  0.0", 16,
               [(float(d), s, 0.0) for d, s in enumerate(record)])


if __name__ == "__main__":
    main()
