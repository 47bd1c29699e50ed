#!/usr/bin/env python3
"""Draws Orlinda's artwork as SVG files and writes the resource list orlinda.qrc.

    python3 resources/tools/make_art.py

Everything under resources/{main,menu,small,dialog,tray,anim,check} is written by this script;
edit the drawings here and run it again. The image lists are numbered as the program
refers to them (ui/ImageIndex.h): the main list (24 px, 57 images), the frame-bar list
(24 px, 10), the small list (16 px, 23), the four 48 px dialog icons, the two tray icons,
the program icon and the two templates that are recoloured for each skin (the animation
frames and the check boxes: silver and grey shapes on nothing).
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)

OUTLINE = "#2f3b4c"
BLUE = "#3a78c9"
BLUE_L = "#8fb8ec"
GREEN = "#3aa655"
RED = "#d8453b"
YELLOW = "#f2c12e"
ORANGE = "#f08a24"
PURPLE = "#8e5bc2"
GREY = "#8a96a6"
PAPER = "#fdfdf8"
SKIN = "#f3c9a0"
VK = "#4a76a8"
OK = "#ee8208"


def svg(size, body, view=24):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
            f'viewBox="0 0 {view} {view}">\n{body}\n</svg>\n')


def g(body, transform):
    return f'<g transform="{transform}">{body}</g>'


def stroke(w=1.2, color=OUTLINE):
    return f'stroke="{color}" stroke-width="{w}" stroke-linejoin="round" stroke-linecap="round"'


# ---- shapes on a 24 px grid -------------------------------------------------------------

def person(color=BLUE, skin=SKIN):
    return (f'<path d="M4.5,21.5 C4.5,15.5 8,13.5 12,13.5 C16,13.5 19.5,15.5 19.5,21.5 Z" fill="{color}" {stroke()}/>'
            f'<circle cx="12" cy="8" r="4.2" fill="{skin}" {stroke()}/>')


def woman():
    return (f'<path d="M7.5,12 C6.5,6 8.5,3.2 12,3.2 C15.5,3.2 17.5,6 16.5,12 Z" fill="#8a4b2a" {stroke()}/>'
            f'<path d="M4.5,21.5 L7,14.5 C8.5,13.6 10,13.4 12,13.4 C14,13.4 15.5,13.6 17,14.5 L19.5,21.5 Z" fill="#e0529c" {stroke()}/>'
            f'<circle cx="12" cy="8.3" r="3.8" fill="{SKIN}" {stroke()}/>')


def man():
    return (f'<path d="M4.5,21.5 C4.5,15.5 8,13.5 12,13.5 C16,13.5 19.5,15.5 19.5,21.5 Z" fill="{BLUE}" {stroke()}/>'
            f'<path d="M10.5,13.6 L12,17 L13.5,13.6 Z" fill="#ffffff"/>'
            f'<circle cx="12" cy="8" r="4.2" fill="{SKIN}" {stroke()}/>'
            f'<path d="M7.9,7.2 C8.2,4.2 10,3.6 12,3.6 C14,3.6 15.8,4.2 16.1,7.2 C14.5,6 13,5.8 12,5.8 C11,5.8 9.5,6 7.9,7.2 Z" fill="#5a3a22"/>')


def group():
    return (g(person(GREEN), "translate(-4,0) scale(0.85)") +
            g(person(ORANGE), "translate(7,0) scale(0.85)") +
            g(person(BLUE), "translate(2,3) scale(0.85)"))


def badge_plus():
    return (f'<circle cx="18" cy="18" r="5.2" fill="{GREEN}" {stroke(1)}/>'
            '<path d="M18,15.2 V20.8 M15.2,18 H20.8" stroke="#fff" stroke-width="1.8" stroke-linecap="round"/>')


def badge_cross():
    return (f'<circle cx="18" cy="18" r="5.2" fill="{RED}" {stroke(1)}/>'
            '<path d="M16,16 L20,20 M20,16 L16,20" stroke="#fff" stroke-width="1.8" stroke-linecap="round"/>')


def badge_check():
    return (f'<circle cx="18" cy="18" r="5.2" fill="{GREEN}" {stroke(1)}/>'
            '<path d="M15.6,18.2 L17.4,20 L20.6,16.4" fill="none" stroke="#fff" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>')


def pencil(x=0, y=0, s=1.0):
    body = (f'<path d="M4,20 L5,15.5 L15.5,5 L19,8.5 L8.5,19 Z" fill="{YELLOW}" {stroke()}/>'
            f'<path d="M15.5,5 L17,3.5 C17.8,2.7 18.8,2.7 19.6,3.5 L20.5,4.4 C21.3,5.2 21.3,6.2 20.5,7 L19,8.5 Z" fill="#e27b8a" {stroke()}/>'
            f'<path d="M4,20 L5,15.5 L8.5,19 Z" fill="#f4dcb5" {stroke(1)}/>'
            '<path d="M4,20 L4.5,17.8 L6.2,19.5 Z" fill="#333"/>')
    return g(body, f"translate({x},{y}) scale({s})")


def badge_pencil():
    return pencil(11, 11, 0.55)


def bell(color=YELLOW):
    return (f'<path d="M12,3 C8,3 6.5,6.5 6.5,9.5 V13.5 L4.5,17 H19.5 L17.5,13.5 V9.5 C17.5,6.5 16,3 12,3 Z" fill="{color}" {stroke()}/>'
            f'<path d="M10,18.5 C10,20.2 11,21 12,21 C13,21 14,20.2 14,18.5 Z" fill="#c98a12" {stroke(1)}/>'
            f'<circle cx="12" cy="2.6" r="1.1" fill="{color}" {stroke(0.8)}/>')


def envelope(color=PAPER, flap=BLUE):
    return (f'<rect x="2.5" y="5.5" width="19" height="13" rx="1.2" fill="{color}" {stroke()}/>'
            f'<path d="M2.8,6 L12,13 L21.2,6" fill="none" stroke="{flap}" stroke-width="1.5" stroke-linejoin="round"/>'
            f'<path d="M2.8,18 L9.5,11.5 M21.2,18 L14.5,11.5" fill="none" stroke="{GREY}" stroke-width="1"/>')


def calendar(text="", head=RED, text_size=8):
    body = (f'<rect x="3" y="4.5" width="18" height="16.5" rx="1.5" fill="{PAPER}" {stroke()}/>'
            f'<path d="M3,9 V6 C3,5.2 3.7,4.5 4.5,4.5 H19.5 C20.3,4.5 21,5.2 21,6 V9 Z" fill="{head}" {stroke()}/>'
            f'<rect x="7" y="2.5" width="1.8" height="4" rx="0.9" fill="{GREY}"/>'
            f'<rect x="15.2" y="2.5" width="1.8" height="4" rx="0.9" fill="{GREY}"/>')
    if text:
        body += (f'<text x="12" y="18.6" font-family="DejaVu Sans, Arial, sans-serif" font-weight="bold" '
                 f'font-size="{text_size}" text-anchor="middle" fill="{OUTLINE}">{text}</text>')
    return body


def calendar_grid(cols=3, rows=2, marks=()):
    body = calendar()
    w = 14.0 / cols
    h = 8.5 / rows
    n = 0
    for r in range(rows):
        for c in range(cols):
            x = 5 + c * w
            y = 10.8 + r * h
            fill = RED if n in marks else "#c8d3e0"
            body += f'<rect x="{x + 0.3:.2f}" y="{y + 0.3:.2f}" width="{w - 0.6:.2f}" height="{h - 0.8:.2f}" fill="{fill}"/>'
            n += 1
    return body


def gear_path(cx, cy, r_out, r_in, teeth, phase=0.0):
    pts = []
    for i in range(teeth * 4):
        a = phase + 2 * math.pi * i / (teeth * 4)
        r = r_out if (i % 4) in (1, 2) else r_in
        pts.append(f"{cx + r * math.cos(a):.2f},{cy + r * math.sin(a):.2f}")
    return "M" + " L".join(pts) + " Z"


def gear(color=GREY, cx=12, cy=12, r=9, phase=0.0):
    return (f'<path d="{gear_path(cx, cy, r, r * 0.74, 8, phase)}" fill="{color}" {stroke()}/>'
            f'<circle cx="{cx}" cy="{cy}" r="{r * 0.32:.2f}" fill="{PAPER}" {stroke()}/>')


def speaker(color=BLUE):
    return (f'<path d="M3,9 H7 L12,4.5 V19.5 L7,15 H3 Z" fill="{color}" {stroke()}/>')


def waves():
    return ('<path d="M14.5,9 C15.8,10.5 15.8,13.5 14.5,15" fill="none" stroke="#2f3b4c" stroke-width="1.5" stroke-linecap="round"/>'
            '<path d="M17,6.5 C19.5,9.5 19.5,14.5 17,17.5" fill="none" stroke="#2f3b4c" stroke-width="1.5" stroke-linecap="round"/>')


def globe(color=BLUE_L):
    return (f'<circle cx="12" cy="12" r="9" fill="{color}" {stroke()}/>'
            f'<ellipse cx="12" cy="12" rx="4" ry="9" fill="none" {stroke(1)}/>'
            f'<path d="M3,12 H21 M4.5,7.5 H19.5 M4.5,16.5 H19.5" fill="none" {stroke(1)}/>')


def circle_sign(color, inner):
    return f'<circle cx="12" cy="12" r="9.5" fill="{color}" {stroke()}/>' + inner


def letter(text, x=12, y=16.3, size=12, color="#fff", weight="bold"):
    return (f'<text x="{x}" y="{y}" font-family="DejaVu Sans, Arial, sans-serif" font-weight="{weight}" '
            f'font-size="{size}" text-anchor="middle" fill="{color}">{text}</text>')


def speech(color, text):
    return (f'<path d="M3,5 C3,4 4,3 5,3 H19 C20,3 21,4 21,5 V14 C21,15 20,16 19,16 H10 L5.5,20.5 V16 H5 C4,16 3,15 3,14 Z" fill="{color}" {stroke()}/>'
            + letter(text, 12, 12.8, 8.5))


def board(color, text):
    return (f'<rect x="2.5" y="3" width="19" height="14" rx="1.5" fill="{color}" {stroke()}/>'
            '<path d="M8,17 L6,21.5 M16,17 L18,21.5" stroke="#2f3b4c" stroke-width="1.4" stroke-linecap="round"/>'
            + letter(text, 12, 13.2, 8.5) +
            '<path d="M5.5,15 H18.5" stroke="#ffffff" stroke-width="1" opacity="0.8"/>')


def flag(stripes):
    body = ""
    h = 14.0 / len(stripes)
    for i, c in enumerate(stripes):
        body += f'<rect x="2" y="{5 + i * h:.2f}" width="20" height="{h + 0.05:.2f}" fill="{c}"/>'
    body += f'<rect x="2" y="5" width="20" height="14" rx="1" fill="none" {stroke(1)}/>'
    return body


def star(cx=12, cy=12, r=9, color=YELLOW, points=5):
    pts = []
    for i in range(points * 2):
        a = -math.pi / 2 + math.pi * i / points
        rr = r if i % 2 == 0 else r * 0.45
        pts.append(f"{cx + rr * math.cos(a):.2f},{cy + rr * math.sin(a):.2f}")
    return f'<path d="M{" L".join(pts)} Z" fill="{color}" {stroke()}/>'


def heart(color=RED):
    return (f'<path d="M12,20.5 C5,15.5 2.8,12 2.8,8.8 C2.8,6 5,4 7.4,4 C9.3,4 11,5.1 12,6.8 '
            f'C13,5.1 14.7,4 16.6,4 C19,4 21.2,6 21.2,8.8 C21.2,12 19,15.5 12,20.5 Z" fill="{color}" {stroke()}/>')


def gift(box=RED, ribbon=YELLOW):
    return (f'<rect x="3.5" y="10" width="17" height="11" rx="1" fill="{box}" {stroke()}/>'
            f'<rect x="2.5" y="7" width="19" height="4" rx="1" fill="{box}" {stroke()}/>'
            f'<rect x="10.7" y="7" width="2.6" height="14" fill="{ribbon}"/>'
            f'<path d="M12,7 C9,2 5,3.5 7,6 C8,7 10,7 12,7 Z M12,7 C15,2 19,3.5 17,6 C16,7 14,7 12,7 Z" fill="{ribbon}" {stroke(1)}/>')


def clock(color=PAPER, hand_h=(12, 7.5), hand_m=(15.5, 13.5)):
    return (f'<circle cx="12" cy="13" r="8" fill="{color}" {stroke()}/>'
            f'<path d="M12,13 L{hand_h[0]},{hand_h[1]} M12,13 L{hand_m[0]},{hand_m[1]}" {stroke(1.5)}/>')


def alarm_clock():
    return (f'<path d="M3.5,7 C3,4.5 5,2.5 7.5,3.5 Z M20.5,7 C21,4.5 19,2.5 16.5,3.5 Z" fill="{RED}" {stroke(1)}/>'
            + clock() +
            f'<path d="M7,20.5 L5.5,22 M17,20.5 L18.5,22" {stroke(1.4)}/>' +
            letter("z", 18.5, 9, 6, BLUE))


def arrows_circle(color=GREEN):
    return (f'<path d="M19,11 A7,7 0 0 0 6.2,7.8" fill="none" stroke="{color}" stroke-width="2.6" stroke-linecap="round"/>'
            f'<path d="M5,13 A7,7 0 0 0 17.8,16.2" fill="none" stroke="{color}" stroke-width="2.6" stroke-linecap="round"/>'
            f'<path d="M3.5,5.5 L6.8,9.5 L9.2,5.8 Z" fill="{color}"/>'
            f'<path d="M20.5,18.5 L17.2,14.5 L14.8,18.2 Z" fill="{color}"/>')


def book(color=BLUE, open_=False):
    if open_:
        return (f'<path d="M12,6.5 C9,4.5 5.5,4.5 2.5,5.5 V19.5 C5.5,18.5 9,18.5 12,20.5 Z" fill="{PAPER}" {stroke()}/>'
                f'<path d="M12,6.5 C15,4.5 18.5,4.5 21.5,5.5 V19.5 C18.5,18.5 15,18.5 12,20.5 Z" fill="{PAPER}" {stroke()}/>'
                f'<path d="M5,9 C7,8.5 8.5,8.6 10,9.2 M5,12 C7,11.5 8.5,11.6 10,12.2 M14,9.2 C15.5,8.6 17,8.5 19,9 M14,12.2 C15.5,11.6 17,11.5 19,12" fill="none" stroke="{GREY}" stroke-width="1"/>')
    return (f'<rect x="5" y="3" width="14" height="18" rx="1.5" fill="{color}" {stroke()}/>'
            f'<path d="M7.5,3 V21" stroke="{OUTLINE}" stroke-width="1"/>'
            f'<rect x="10" y="6.5" width="6.5" height="3" fill="{PAPER}"/>')


def page(color=PAPER):
    return (f'<path d="M5,2.5 H14.5 L19,7 V21.5 H5 Z" fill="{color}" {stroke()}/>'
            f'<path d="M14.5,2.5 V7 H19" fill="#dde4ee" {stroke(1)}/>'
            f'<path d="M8,11 H16 M8,14 H16 M8,17 H13.5" stroke="{GREY}" stroke-width="1.2" stroke-linecap="round"/>')


def triangle_warning():
    return (f'<path d="M12,2.8 L22,20.5 H2 Z" fill="{YELLOW}" {stroke()}/>'
            '<path d="M12,9 V14.5" stroke="#2f3b4c" stroke-width="2.2" stroke-linecap="round"/>'
            '<circle cx="12" cy="17.6" r="1.3" fill="#2f3b4c"/>')


def power_off():
    return (f'<circle cx="12" cy="12" r="9.5" fill="#9aa3ad" {stroke()}/>'
            '<path d="M8.4,8 A5.5,5.5 0 1 0 15.6,8" fill="none" stroke="#fff" stroke-width="2" stroke-linecap="round"/>'
            '<path d="M12,5.5 V11.5" stroke="#fff" stroke-width="2" stroke-linecap="round"/>')


def infinity():
    return ('<path d="M12,18 C10.5,16 9,15.3 8,15.3 C6.5,15.3 5.5,16.4 5.5,18 C5.5,19.6 6.5,20.7 8,20.7 C9,20.7 10.5,20 12,18 '
            'C13.5,16 15,15.3 16,15.3 C17.5,15.3 18.5,16.4 18.5,18 C18.5,19.6 17.5,20.7 16,20.7 C15,20.7 13.5,20 12,18 Z" '
            f'fill="none" stroke="{GREEN}" stroke-width="1.8"/>')


def cake():
    return (f'<rect x="4" y="12" width="16" height="9" rx="1.2" fill="#f6b7cf" {stroke()}/>'
            f'<path d="M4,15 C6,16.5 8,13.5 10,15 C12,16.5 14,13.5 16,15 C18,16.5 20,14 20,14" fill="none" stroke="#fff" stroke-width="1.4"/>'
            f'<rect x="7" y="7" width="1.8" height="5" fill="{BLUE_L}" {stroke(0.8)}/>'
            f'<rect x="11.1" y="7" width="1.8" height="5" fill="{YELLOW}" {stroke(0.8)}/>'
            f'<rect x="15.2" y="7" width="1.8" height="5" fill="{GREEN}" {stroke(0.8)}/>'
            f'<path d="M7.9,6.5 C7,5.5 7.9,4 7.9,3.5 C8.8,4.5 8.8,5.5 7.9,6.5 Z M12,6.5 C11.1,5.5 12,4 12,3.5 C12.9,4.5 12.9,5.5 12,6.5 Z M16.1,6.5 C15.2,5.5 16.1,4 16.1,3.5 C17,4.5 17,5.5 16.1,6.5 Z" fill="{ORANGE}"/>')


def rings():
    return (f'<circle cx="9" cy="14" r="5.5" fill="none" stroke="{YELLOW}" stroke-width="2.4"/>'
            f'<circle cx="15" cy="12" r="5.5" fill="none" stroke="#d9a514" stroke-width="2.4"/>'
            f'<path d="M15,4.5 L16.5,3 L18,4.5 L16.5,6 Z" fill="{BLUE_L}" {stroke(0.8)}/>')


def sheets():
    return (f'<rect x="8" y="2.5" width="12" height="15" rx="1" fill="{PAPER}" {stroke()}/>'
            f'<rect x="4" y="6.5" width="12" height="15" rx="1" fill="{PAPER}" {stroke()}/>'
            f'<path d="M6.5,11 H13.5 M6.5,14 H13.5 M6.5,17 H11" stroke="{GREY}" stroke-width="1.1"/>')


def clipboard():
    return (f'<rect x="4.5" y="4" width="15" height="18" rx="1.5" fill="#c9a36b" {stroke()}/>'
            f'<rect x="6.5" y="6.5" width="11" height="13.5" fill="{PAPER}"/>'
            f'<rect x="8.5" y="2.5" width="7" height="3.5" rx="1" fill="{GREY}" {stroke(1)}/>'
            f'<path d="M8.5,10 H15.5 M8.5,13 H15.5 M8.5,16 H13" stroke="{GREY}" stroke-width="1.1"/>')


def window_icon():
    return (f'<rect x="2.5" y="4" width="19" height="16" rx="1.5" fill="{PAPER}" {stroke()}/>'
            f'<path d="M2.5,8.5 V5.5 C2.5,4.7 3.2,4 4,4 H20 C20.8,4 21.5,4.7 21.5,5.5 V8.5 Z" fill="{BLUE}" {stroke()}/>'
            '<rect x="5" y="11" width="6" height="6" fill="#c8d3e0"/><path d="M13,12 H19 M13,15 H17.5" stroke="#8a96a6" stroke-width="1.2"/>')


def door():
    return (f'<path d="M4,21 V3.5 H14 V21" fill="#c98a54" {stroke()}/>'
            f'<circle cx="11.5" cy="12.5" r="0.9" fill="{YELLOW}"/>'
            f'<path d="M14,12 H21 M18,9 L21,12 L18,15" fill="none" stroke="{RED}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>')


def briefcase():
    return (f'<rect x="2.5" y="8" width="19" height="12.5" rx="1.5" fill="#a0683a" {stroke()}/>'
            f'<path d="M9,8 V5.5 C9,4.7 9.7,4 10.5,4 H13.5 C14.3,4 15,4.7 15,5.5 V8" fill="none" {stroke(1.4)}/>'
            f'<path d="M2.5,13 H21.5" stroke="{OUTLINE}" stroke-width="1"/>'
            f'<rect x="10.5" y="11.5" width="3" height="3" fill="{YELLOW}" {stroke(0.8)}/>')


def church():
    return (f'<rect x="6" y="11" width="12" height="10" fill="{PAPER}" {stroke()}/>'
            f'<path d="M7.5,11 C7.5,7 12,6.5 12,4.8 C12,6.5 16.5,7 16.5,11 Z" fill="{YELLOW}" {stroke()}/>'
            f'<path d="M12,1.2 V4.6 M10.6,2.4 H13.4" {stroke(1.2)}/>'
            f'<path d="M10.5,21 V16.5 C10.5,15.5 13.5,15.5 13.5,16.5 V21" fill="{BLUE}" {stroke(1)}/>')


def balloon():
    return (f'<ellipse cx="12" cy="9" rx="6.5" ry="7.5" fill="{PURPLE}" {stroke()}/>'
            f'<path d="M12,16.5 L10.8,18 H13.2 Z" fill="{PURPLE}" {stroke(0.8)}/>'
            f'<path d="M12,18 C10,19.5 14,20.5 12,22.5" fill="none" {stroke(1)}/>'
            '<ellipse cx="9.5" cy="6.5" rx="1.5" ry="2.3" fill="#fff" opacity="0.5"/>')


def stop_sign():
    return f'<rect x="4" y="4" width="16" height="16" rx="2.5" fill="{RED}" {stroke()}/><rect x="8.5" y="8.5" width="7" height="7" fill="#fff"/>'


def link_arrow():
    return (f'<path d="M14,4 H20 V10" fill="none" stroke="{GREEN}" stroke-width="2.2" stroke-linecap="round" stroke-linejoin="round"/>'
            f'<path d="M20,4 L12.5,11.5" stroke="{GREEN}" stroke-width="2.2" stroke-linecap="round"/>')


def folder():
    return (f'<path d="M2.5,6 C2.5,5 3.2,4.5 4,4.5 H9 L11,6.5 H20 C20.8,6.5 21.5,7.2 21.5,8 V19 C21.5,19.8 20.8,20.5 20,20.5 H4 C3.2,20.5 2.5,19.8 2.5,19 Z" fill="{YELLOW}" {stroke()}/>'
            f'<path d="M2.5,10 H21.5" stroke="{OUTLINE}" stroke-width="1"/>')


def palette_icon():
    return (f'<path d="M12,3 C6.5,3 2.5,7 2.5,12 C2.5,17 6.5,21 11,21 C13,21 13,19.5 12.3,18.4 C11.5,17 12.5,15.5 14,15.5 H16.5 '
            f'C19.5,15.5 21.5,13.5 21.5,11 C21.5,6.5 17.5,3 12,3 Z" fill="{PAPER}" {stroke()}/>'
            f'<circle cx="7.5" cy="11" r="1.6" fill="{RED}"/><circle cx="10" cy="7" r="1.6" fill="{YELLOW}"/>'
            f'<circle cx="14.5" cy="6.8" r="1.6" fill="{GREEN}"/><circle cx="17.6" cy="10" r="1.6" fill="{BLUE}"/>')


def chevron(down=True):
    d = "M6,9 L12,15 L18,9" if down else "M6,15 L12,9 L18,15"
    return f'<circle cx="12" cy="12" r="9.5" fill="{BLUE_L}" {stroke()}/><path d="{d}" fill="none" stroke="#fff" stroke-width="2.6" stroke-linecap="round" stroke-linejoin="round"/>'


def logo():
    """The program's mark: a gift with a bell-shaped bow on a blue disc."""
    return (f'<circle cx="12" cy="12" r="11" fill="{BLUE}" {stroke(1)}/>'
            + g(gift(RED, YELLOW), "translate(3.6,3.8) scale(0.7)"))


def scaled(body, s, dx=0, dy=0):
    return g(body, f"translate({dx},{dy}) scale({s})")


# ---- the main image list ----------------------------------------------------------------

MAIN = [
    ("add_person", person() + badge_plus()),
    ("edit_person", person() + badge_pencil()),
    ("delete_person", person() + badge_cross()),
    ("people", group()),
    ("email", envelope()),
    ("add_reminder", bell() + badge_plus()),
    ("edit_reminder", bell() + badge_pencil()),
    ("delete_reminder", bell() + badge_cross()),
    ("reminder", bell()),
    ("holidays", calendar_grid(4, 2, (5,))),
    ("recipients", group() + badge_check()),
    ("settings_general", gear()),
    ("settings_sound", speaker() + waves()),
    ("settings_mail", envelope() + scaled(gear(), 0.5, 11, 11)),
    # 14..17: buttons of the notification window
    ("edit", pencil()),
    ("ok", circle_sign(GREEN, '<path d="M7,12.5 L10.5,16 L17,8.5" fill="none" stroke="#fff" stroke-width="2.6" stroke-linecap="round" stroke-linejoin="round"/>')),
    ("delete", circle_sign(RED, '<path d="M8,8 L16,16 M16,8 L8,16" stroke="#fff" stroke-width="2.6" stroke-linecap="round"/>')),
    ("snooze", alarm_clock()),
    ("sound", speaker() + waves()),
    ("social", globe()),
    ("updates", arrows_circle()),
    ("feedback", speech(GREEN, "")),
    ("help_book", book()),
    ("info", circle_sign(BLUE, letter("i", 12, 17.2, 14, "#fff", "bold"))),
    ("disable", power_off()),
    ("warning", triangle_warning()),
    ("help", circle_sign(BLUE, letter("?", 12, 17, 13))),
    ("congratulate", gift()),
    ("country_ukraine", flag(["#2f6fd1", "#f6d21b"])),
    ("country_russia", flag(["#ffffff", "#2050c8", "#d52b1e"])),
    ("category_religious", church()),
    ("category_state", star()),
    ("category_professional", briefcase()),
    ("category_private", heart()),
    ("category_other", balloon()),
    ("today", calendar_grid(3, 2, (0,))),
    ("birthday", cake()),
    ("wedding", rings()),
    ("copy", sheets()),
    ("open_page", globe() + link_arrow()),
    ("clipboard", clipboard()),
    ("stop", stop_sign()),
    # 42..46: reminder kinds
    ("kind_once", calendar("1", BLUE, 9)),
    ("kind_daily", clock(PAPER, (12, 8), (16, 13)) + letter("24", 12, 21.5, 5.5, RED)),
    ("kind_weekdays", calendar_grid(7, 1, (0, 1, 2, 3, 4))),
    ("kind_monthly", calendar("31", GREEN, 8)),
    ("kind_yearly", calendar("12", ORANGE, 8)),
    ("sound_endless", scaled(speaker() + waves(), 0.85, 0, -1.5) + infinity()),
    ("sound_off", speaker(GREY) + '<path d="M15,9 L21,15 M21,9 L15,15" stroke="#d8453b" stroke-width="2" stroke-linecap="round"/>'),
    ("vk_message", speech(VK, "VK")),
    ("vk_wall", board(VK, "VK")),
    ("ok_message", speech(OK, "OK")),
    ("female", woman()),
    ("male", man()),
    ("open_window", window_icon()),
    ("exit", door()),
    ("ok_forum", board(OK, "OK")),
]

MENU = [
    ("people", group()),
    ("reminders", bell()),
    ("holidays", calendar_grid(4, 2, (5,))),
    ("settings", gear()),
    ("feedback", speech(GREEN, "")),
    ("help", book()),
    ("expand", chevron(True)),
    ("collapse", chevron(False)),
    ("logo", logo()),
    ("skins", palette_icon()),
]

SMALL = [
    ("info", circle_sign(BLUE, letter("i", 12, 17.2, 14))),
    ("warning", triangle_warning()),
    ("error", circle_sign(RED, '<path d="M8,8 L16,16 M16,8 L8,16" stroke="#fff" stroke-width="2.8" stroke-linecap="round"/>')),
    ("question", circle_sign(BLUE, letter("?", 12, 17, 13))),
    # 4..6: the help contents tree
    ("topic_closed", book()),
    ("topic_open", book(open_=True)),
    ("page", page()),
    ("person", person()),
    ("reminder", bell()),
    ("holiday", calendar_grid(3, 2, (4,))),
    ("settings", gear()),
    ("sound", speaker() + waves()),
    ("email", envelope()),
    ("globe", globe()),
    ("updates", arrows_circle()),
    ("feedback", speech(GREEN, "")),
    ("check", '<path d="M4,12.5 L9.5,18 L20,6.5" fill="none" stroke="#3aa655" stroke-width="3.2" stroke-linecap="round" stroke-linejoin="round"/>'),
    ("cross", '<path d="M6,6 L18,18 M18,6 L6,18" stroke="#d8453b" stroke-width="3.2" stroke-linecap="round"/>'),
    ("link", link_arrow() + f'<rect x="3.5" y="6.5" width="13" height="13" rx="1.5" fill="none" {stroke(1.6)}/>'),
    ("star", star()),
    ("heart", heart()),
    ("folder", folder()),
    ("skin", palette_icon()),
]

# 48 px dialog icons on a 48 px grid.
DIALOG = {
    "confirm": (f'<circle cx="24" cy="24" r="21" fill="{BLUE}" {stroke(2)}/>'
                '<circle cx="24" cy="24" r="17.5" fill="none" stroke="#ffffff" stroke-width="1.2" opacity="0.5"/>'
                + letter("?", 24, 33.5, 28)),
    "info": (f'<circle cx="24" cy="24" r="21" fill="{BLUE}" {stroke(2)}/>'
             '<circle cx="24" cy="13.5" r="3.2" fill="#fff"/>'
             '<path d="M19.5,20 H26.5 V34 H29.5 V37 H18.5 V34 H21.5 V23 H19.5 Z" fill="#fff"/>'),
    "warning": (f'<path d="M24,4 L45,41.5 H3 Z" fill="{YELLOW}" {stroke(2)}/>'
                '<path d="M24,16 V29" stroke="#2f3b4c" stroke-width="4.5" stroke-linecap="round"/>'
                '<circle cx="24" cy="35" r="2.8" fill="#2f3b4c"/>'),
    "error": (f'<circle cx="24" cy="24" r="21" fill="{RED}" {stroke(2)}/>'
              '<path d="M16,16 L32,32 M32,16 L16,32" stroke="#fff" stroke-width="5" stroke-linecap="round"/>'),
}

TRAY = {
    "normal": logo(),
    "dialog": logo() + f'<circle cx="18" cy="18" r="5.5" fill="{ORANGE}" {stroke(1)}/>'
              '<path d="M16.3,15.5 V20.5 M19.7,15.5 V20.5" stroke="#fff" stroke-width="1.8" stroke-linecap="round"/>',
}

# ---- the recolourable templates -------------------------------------------------------------
# Tiles of 16 px, silver (#c0c0c0) and grey (#808080) shapes on nothing. The
# program paints silver in the skin's first colour and grey in its second; shades between
# the two become shades between the two colours.
S = "#c0c0c0"
G = "#808080"


def tile_envelope(x, y, s=1.0):
    body = (f'<rect x="1.5" y="4" width="13" height="8.5" rx="0.8" fill="{S}" stroke="{G}" stroke-width="1"/>'
            f'<path d="M1.8,4.4 L8,9 L14.2,4.4" fill="none" stroke="{G}" stroke-width="1"/>')
    return g(body, f"translate({x:.2f},{y:.2f}) scale({s:.3f})")


def anim_frames():
    frames = []
    # 0..7: a ring of dots, one of them heavy.
    for f in range(8):
        b = ""
        for i in range(8):
            a = 2 * math.pi * i / 8 - math.pi / 2
            heavy = (i == f)
            b += f'<circle cx="{8 + 5.5 * math.cos(a):.2f}" cy="{8 + 5.5 * math.sin(a):.2f}" r="{1.9 if heavy else 1.2}" fill="{G if heavy else S}"/>'
        frames.append(b)
    # 8..13: checking and downloading: an arrow sinks into a tray.
    for f in range(6):
        y = -3 + f * 1.6
        frames.append(f'<path d="M2,11 V14 H14 V11" fill="none" stroke="{G}" stroke-width="1.6" stroke-linejoin="round"/>'
                      f'<path d="M6.3,{y + 1:.1f} H9.7 V{y + 6:.1f} H12 L8,{y + 10:.1f} L4,{y + 6:.1f} H6.3 Z" fill="{S}" stroke="{G}" stroke-width="0.9"/>')
    # 14..18: installing: a turning gear.
    for f in range(5):
        frames.append(f'<path d="{gear_path(8, 8, 7, 5.2, 8, f * math.pi / 20)}" fill="{S}" stroke="{G}" stroke-width="1"/>'
                      f'<circle cx="8" cy="8" r="2.2" fill="{G}"/>')
    # 19..38: a slow pulse.
    for f in range(20):
        r = 2 + 5 * abs(math.sin(math.pi * f / 20))
        frames.append(f'<circle cx="8" cy="8" r="{r:.2f}" fill="{S}" stroke="{G}" stroke-width="1"/>')
    # 39..59: feedback: a letter leaves to the right, a new one slides in from the left and
    # rests (frame 52 is held longest); then it nods.
    for f in range(21):
        if f == 0:
            b = tile_envelope(0, 0)
        elif f <= 6:
            b = tile_envelope(f * 2.6, -f * 0.8) + f'<path d="M{f * 2.6 - 4:.1f},7 H{f * 2.6 - 1:.1f} M{f * 2.6 - 5:.1f},10 H{f * 2.6 - 2:.1f}" stroke="{G}" stroke-width="0.9"/>'
        elif f <= 13:
            b = tile_envelope(-16 + (f - 6) * 16 / 7, 0)
        else:
            k = f - 13
            dy = [0, -1, 0, 1, 0, -0.5, 0, 0][k]
            b = tile_envelope(0, dy)
        frames.append(b)
    # 60, 61: a quiet dot.
    frames.append(f'<circle cx="8" cy="8" r="2" fill="{S}" stroke="{G}" stroke-width="0.8"/>')
    frames.append(f'<circle cx="8" cy="8" r="2.6" fill="{S}" stroke="{G}" stroke-width="0.8"/>')
    # 62..75: sending greetings: a letter with three dots running behind it.
    for f in range(14):
        b = tile_envelope(3, 1.5, 0.8)
        for i in range(3):
            x = 1 + ((f + i * 4) % 14) * 1.0
            b += f'<circle cx="{x:.1f}" cy="14.2" r="{0.9 + 0.3 * (i == f % 3)}" fill="{G}"/>'
        frames.append(b)
    # 76..79: the letter with a check mark (sent), a cross (failed), a clock (waiting), nothing.
    frames.append(tile_envelope(0, -1) + f'<path d="M9,12.5 L11,14.5 L15,10" fill="none" stroke="{G}" stroke-width="1.8" stroke-linecap="round"/>')
    frames.append(tile_envelope(0, -1) + f'<path d="M10,10 L14.5,14.5 M14.5,10 L10,14.5" stroke="{G}" stroke-width="1.8" stroke-linecap="round"/>')
    frames.append(f'<circle cx="8" cy="8" r="6.5" fill="{S}" stroke="{G}" stroke-width="1"/><path d="M8,8 V4 M8,8 H11" stroke="{G}" stroke-width="1.3" stroke-linecap="round"/>')
    frames.append('')
    return frames


def check_frames():
    box = lambda fill, edge: f'<rect x="2" y="2" width="12" height="12" rx="2" fill="{fill}" stroke="{edge}" stroke-width="1.2"/>'
    tick = f'<path d="M4.5,8.3 L7,10.8 L11.8,5.3" fill="none" stroke="{G}" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>'
    mixed = f'<rect x="5" y="7" width="6" height="2" rx="0.6" fill="{G}"/>'
    radio = lambda inner: f'<circle cx="8" cy="8" r="6" fill="{S}" stroke="{G}" stroke-width="1.2"/>' + inner
    frames = [
        box(S, G), box(S, G) + tick, box(S, G) + mixed,                          # 0..2 normal
        box(S, G) + box("none", G), box(S, G) + tick + box("none", G),           # 3, 4 hot (double edge)
        box(S, G) + mixed + box("none", G),                                      # 5
        f'<g opacity="0.45">{box(S, G)}</g>', f'<g opacity="0.45">{box(S, G) + tick}</g>',  # 6, 7 disabled
        radio(''), radio(f'<circle cx="8" cy="8" r="2.8" fill="{G}"/>'),         # 8, 9 radio
    ]
    return frames


def tile_svg(body):
    return svg(16, body, 16)


def write(path, text):
    full = os.path.join(ROOT, path)
    os.makedirs(os.path.dirname(full), exist_ok=True)
    with open(full, "w", encoding="utf-8") as f:
        f.write(text)


def main():
    # The folders are the script's own: start them afresh so renamed drawings leave nothing behind.
    for d in ("main", "menu", "small", "dialog", "tray", "anim", "check"):
        full = os.path.join(ROOT, d)
        if os.path.isdir(full):
            for f in os.listdir(full):
                if f.endswith(".svg"):
                    os.remove(os.path.join(full, f))
    qrc = []
    for i, (name, body) in enumerate(MAIN):
        p = f"main/{i:02d}_{name}.svg"
        write(p, svg(24, body))
        qrc.append((f"img/IMG_MAIN_{i}", p))
    for i, (name, body) in enumerate(MENU):
        p = f"menu/{i:02d}_{name}.svg"
        write(p, svg(24, body))
        qrc.append((f"img/IMG_MENU_{i}", p))
    for i, (name, body) in enumerate(SMALL):
        p = f"small/{i:02d}_{name}.svg"
        write(p, svg(16, body))
        qrc.append((f"img/IMG_SMALL_{i}", p))
    for name, body in DIALOG.items():
        p = f"dialog/{name}.svg"
        write(p, svg(48, body, 48))
        qrc.append((f"img/DLG_{name.upper()}", p))
    for name, body in TRAY.items():
        p = f"tray/{name}.svg"
        write(p, svg(32, body))
        qrc.append((f"img/TRAY_{name.upper()}", p))
    write("orlinda.svg", svg(64, logo()))
    qrc.append(("img/ORLINDA", "orlinda.svg"))
    # The templates: one 16 px tile per file, numbered as the program steps through them.
    for i, body in enumerate(anim_frames()):
        p = f"anim/{i:02d}.svg"
        write(p, tile_svg(body))
        qrc.append((f"img/IMG_ANIM_{i}", p))
    for i, body in enumerate(check_frames()):
        p = f"check/{i:02d}.svg"
        write(p, tile_svg(body))
        qrc.append((f"img/IMG_CHECK_{i}", p))

    skins_dir = os.path.join(ROOT, "skins")
    skins = sorted(f for f in os.listdir(skins_dir) if not f.startswith("."))
    for f in skins:
        qrc.append((f"skins/{f}", f"skins/{f}"))

    assert len(MAIN) == 57, len(MAIN)
    assert len(MENU) == 10 and len(SMALL) == 23
    lines = ['<!DOCTYPE RCC>', '<!-- Written by resources/tools/make_art.py -->', '<RCC version="1.0">', '<qresource prefix="/">']
    for alias, path in qrc:
        lines.append(f'  <file alias="{alias}">{path}</file>')
    lines += ['</qresource>', '</RCC>', '']
    write("orlinda.qrc", "\n".join(lines))
    print(f"{len(qrc)} resources written")


if __name__ == "__main__":
    main()
