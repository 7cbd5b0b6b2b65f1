// The lead editor's side of the page: serialising the document, the edit history, and the
// commands that the engine's own editing commands would do destructively (indent, outdent and
// lists wrap boxes into boxes or put lists inside paragraphs).
// Runs in its own script world: the lead's own scripts never see it.
(function () {
    "use strict";
    const Blocks = /^(P|DIV|H[1-6]|LI|BLOCKQUOTE|PRE|ADDRESS|CENTER|DD|DT)$/;
    const Containers = /^(TD|TH|BODY|CAPTION)$/;
    const Step = 40; // pixels per indent level
    const TypingPause = 1500; // typing within this time is undone in one step

    function serialise(doc) {
        let text = "";
        for (const node of (doc || document).childNodes) {
            if (node.nodeType === Node.DOCUMENT_TYPE_NODE)
                text += new XMLSerializer().serializeToString(node);
            else if (node.nodeType === Node.ELEMENT_NODE)
                text += node.outerHTML;
            else if (node.nodeType === Node.COMMENT_NODE)
                text += "<!--" + node.data + "-->";
        }
        return text;
    }

    const initial = serialise();
    let edited = false;
    const history = [document.documentElement.innerHTML];
    let at = 0;
    let lastTyping = 0;

    // Every change becomes one step of the history; typing in a row is one step.
    function record(typing) {
        edited = true;
        const now = Date.now();
        const snapshot = document.documentElement.innerHTML;
        history.length = at + 1;
        if (typing && lastTyping && now - lastTyping < TypingPause && at > 0)
            history[at] = snapshot;
        else
            history[++at] = snapshot;
        lastTyping = typing ? now : 0;
    }

    function restore(index) {
        if (index < 0 || index >= history.length || index === at)
            return;
        at = index;
        lastTyping = 0;
        document.documentElement.innerHTML = history[at];
        edited = true;
    }

    document.addEventListener("input", function (e) {
        if (e.inputType !== "historyUndo" && e.inputType !== "historyRedo")
            record(e.inputType === "insertText" || e.inputType === "deleteContentBackward");
    });
    // The engine's own undo does not know our commands: undo and redo always go through ours.
    document.addEventListener("beforeinput", function (e) {
        if (e.inputType === "historyUndo" || e.inputType === "historyRedo") {
            e.preventDefault();
            restore(at + (e.inputType === "historyUndo" ? -1 : 1));
        }
    });
    document.addEventListener("keydown", function (e) {
        if (!(e.ctrlKey || e.metaKey) || document.designMode !== "on")
            return;
        const key = e.key.toLowerCase();
        if (key === "z" || key === "y") {
            e.preventDefault();
            restore(at + (key === "y" || e.shiftKey ? 1 : -1));
        }
    });

    function isBlock(node) { return node.nodeType === Node.ELEMENT_NODE && Blocks.test(node.tagName); }
    function isContainer(node) { return node.nodeType === Node.ELEMENT_NODE && Containers.test(node.tagName); }
    function isBoxy(node) {
        return node.nodeType === Node.ELEMENT_NODE
            && (isBlock(node) || isContainer(node) || /^(TABLE|UL|OL|DL|HR|TR|TBODY|THEAD|TFOOT)$/.test(node.tagName));
    }

    // The inline run around node, directly inside container, wrapped into a div of its own.
    function wrapRun(container, node) {
        if (node === container)
            return null;
        let child = node;
        while (child.parentNode !== container)
            child = child.parentNode;
        if (isBoxy(child))
            return null;
        let first = child, last = child;
        while (first.previousSibling && !isBoxy(first.previousSibling))
            first = first.previousSibling;
        while (last.nextSibling && !isBoxy(last.nextSibling))
            last = last.nextSibling;
        const div = document.createElement("div");
        container.insertBefore(div, first);
        for (let n = first; ;) {
            const next = n.nextSibling;
            div.appendChild(n);
            if (n === last)
                break;
            n = next;
        }
        return div;
    }

    // The innermost block of each part of the selection, in document order.
    function selectedBlocks() {
        const selection = window.getSelection();
        if (!selection.rangeCount)
            return [];
        const range = selection.getRangeAt(0);
        const nodes = [];
        const root = range.commonAncestorContainer;
        if (root.nodeType !== Node.ELEMENT_NODE || range.collapsed) {
            nodes.push(range.startContainer.nodeType === Node.ELEMENT_NODE
                ? (range.startContainer.childNodes[range.startOffset] || range.startContainer)
                : range.startContainer);
        } else {
            const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
            for (let n = walker.nextNode(); n; n = walker.nextNode())
                if (range.intersectsNode(n) && (n.nodeType === Node.TEXT_NODE ? n.data.trim() !== "" : n.tagName === "IMG"))
                    nodes.push(n);
        }
        const blocks = [];
        for (const node of nodes) {
            let n = node;
            while (n && n !== document.body && !isBlock(n) && !isContainer(n))
                n = n.parentNode;
            if (!n)
                continue;
            if (isContainer(n))
                n = wrapRun(n, node) || n;
            if (!blocks.includes(n) && isBlock(n))
                blocks.push(n);
        }
        return blocks;
    }

    function margin(element, delta) {
        const now = parseInt(element.style.marginLeft, 10) || 0;
        const value = Math.max(0, now + delta);
        element.style.marginLeft = value ? value + "px" : "";
        if (!element.getAttribute("style"))
            element.removeAttribute("style");
    }

    function rename(element, tag) {
        const renamed = document.createElement(tag);
        for (const attribute of element.attributes)
            renamed.setAttribute(attribute.name, attribute.value);
        while (element.firstChild)
            renamed.appendChild(element.firstChild);
        element.parentNode.replaceChild(renamed, element);
        return renamed;
    }

    function indentItem(li, delta) {
        const list = li.parentNode;
        const previous = li.previousElementSibling;
        if (delta > 0 && previous && previous.tagName === "LI") {
            let sub = previous.lastElementChild;
            if (!sub || sub.tagName !== list.tagName) {
                sub = document.createElement(list.tagName);
                previous.appendChild(sub);
            }
            sub.appendChild(li);
        } else if (delta < 0 && list.parentNode && list.parentNode.tagName === "LI") {
            const owner = list.parentNode;
            // The items after this one stay below it, as its own sub-list.
            if (li.nextElementSibling) {
                const rest = document.createElement(list.tagName);
                while (li.nextSibling)
                    rest.appendChild(li.nextSibling);
                li.appendChild(rest);
            }
            owner.parentNode.insertBefore(li, owner.nextSibling);
            if (!list.firstElementChild)
                list.remove();
        } else {
            margin(li, delta * Step);
        }
    }

    function indent(delta) {
        for (const block of selectedBlocks()) {
            if (block.tagName === "LI")
                indentItem(block, delta);
            else
                margin(block, delta * Step);
        }
        record(false);
    }

    // A list item back to a paragraph; the items after it form a list of their own.
    function unlistItem(li) {
        const list = li.parentNode;
        if (li.nextElementSibling) {
            const rest = list.cloneNode(false);
            while (li.nextSibling)
                rest.appendChild(li.nextSibling);
            list.parentNode.insertBefore(rest, list.nextSibling);
        }
        const p = rename(li, "p");
        list.parentNode.insertBefore(p, list.nextSibling);
        if (!list.firstElementChild)
            list.remove();
    }

    function toggleList(tag) {
        const blocks = selectedBlocks();
        if (!blocks.length)
            return;
        const items = blocks.filter(b => b.tagName === "LI");
        if (items.length === blocks.length) {
            if (items.every(li => li.parentNode.tagName === tag)) {
                for (const li of items.reverse())
                    unlistItem(li);
            } else {
                const lists = [...new Set(items.map(li => li.parentNode))];
                for (const list of lists)
                    if (list.tagName !== tag)
                        rename(list, tag);
            }
            record(false);
            return;
        }
        // Neighbouring blocks under one parent become the items of one new list.
        let list = null, last = null;
        for (const block of blocks) {
            if (block.tagName === "LI")
                continue;
            if (!list || block.parentNode !== list.parentNode || block.previousElementSibling !== last) {
                list = document.createElement(tag);
                block.parentNode.insertBefore(list, block);
            }
            last = block;
            const li = document.createElement("li");
            if (/^(P|DIV)$/.test(block.tagName)) {
                for (const attribute of block.attributes)
                    li.setAttribute(attribute.name, attribute.value);
                while (block.firstChild)
                    li.appendChild(block.firstChild);
                last = list;
                block.remove();
            } else {
                last = list;
                li.appendChild(block);
            }
            list.appendChild(li);
        }
        record(false);
    }

    function command(name, value) {
        document.execCommand(name, false, value === undefined ? null : value);
    }

    // A link on the selection (keeping its markup), or a link with the text typed for it.
    function link(url, text) {
        const selection = window.getSelection();
        if (selection.rangeCount && !selection.isCollapsed && (!text || text === selection.toString())) {
            command("createLink", url);
            return;
        }
        if (!selection.rangeCount)
            return;
        const a = document.createElement("a");
        a.href = url;
        a.textContent = text || url;
        const range = selection.getRangeAt(0);
        range.deleteContents();
        range.insertNode(a);
        range.setStartAfter(a);
        range.collapse(true);
        selection.removeAllRanges();
        selection.addRange(range);
        record(false);
    }

    // The selected text, each piece of it in a span of its own with these CSS properties (a
    // span that holds only that piece already takes them itself). Nothing outside the
    // selection changes, and no block ends up inside a span.
    function styleSelection(properties) {
        const selection = window.getSelection();
        if (!selection.rangeCount || selection.isCollapsed)
            return;
        const range = selection.getRangeAt(0);
        const texts = [];
        const root = range.commonAncestorContainer;
        if (root.nodeType === Node.TEXT_NODE) {
            texts.push(root);
        } else {
            const walker = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
            for (let n = walker.nextNode(); n; n = walker.nextNode())
                if (range.intersectsNode(n) && n.data.trim() !== "")
                    texts.push(n);
        }
        const pieces = [];
        for (let text of texts) {
            const start = text === range.startContainer ? range.startOffset : 0;
            const end = text === range.endContainer ? range.endOffset : text.data.length;
            if (start >= end)
                continue;
            if (end < text.data.length)
                text.splitText(end);
            if (start > 0)
                text = text.splitText(start);
            let span = text.parentNode;
            if (span.tagName !== "SPAN" || span.childNodes.length !== 1) {
                span = document.createElement("span");
                text.parentNode.insertBefore(span, text);
                span.appendChild(text);
            }
            for (const name in properties)
                span.style.setProperty(name, properties[name]);
            pieces.push(span);
        }
        if (!pieces.length)
            return;
        const kept = document.createRange();
        kept.setStartBefore(pieces[0]);
        kept.setEndAfter(pieces[pieces.length - 1]);
        selection.removeAllRanges();
        selection.addRange(kept);
        record(false);
    }

    // The font of the selection's start: its first family and its size in pixels.
    function selectionFont() {
        const selection = window.getSelection();
        let node = selection.rangeCount ? selection.getRangeAt(0).startContainer : document.body;
        if (node.nodeType !== Node.ELEMENT_NODE)
            node = node.parentNode;
        const style = getComputedStyle(node);
        return { family: style.fontFamily.split(",")[0].replace(/["']/g, "").trim(),
                 px: Math.round(parseFloat(style.fontSize)) };
    }

    // Alignment set on the selected blocks themselves (the engine's command would also copy
    // the page's colours into spans); "left" where the surroundings are left-aligned anyway.
    function align(value) {
        for (const block of selectedBlocks()) {
            block.style.textAlign = "";
            const around = getComputedStyle(block).textAlign;
            if (!(value === "left" && (around === "left" || around === "start")))
                block.style.textAlign = value;
            if (!block.getAttribute("style"))
                block.removeAttribute("style");
        }
        record(false);
    }

    // HTML from another program, as the letter should get it: the structure (paragraphs,
    // headings, lists, tables, links, pictures, emphasis) and the inline styles that show,
    // without classes, comments, office markup and declarations that only restate defaults.
    function cleanHtml(html) {
        const doc = new DOMParser().parseFromString(html, "text/html");
        const dropped = /^(META|LINK|STYLE|SCRIPT|TITLE|XML|O:P)$|:/;
        const walker = doc.createTreeWalker(doc.body, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_COMMENT);
        const gone = [];
        for (let n = walker.nextNode(); n; n = walker.nextNode()) {
            if (n.nodeType === Node.COMMENT_NODE || dropped.test(n.tagName)) {
                gone.push(n);
                continue;
            }
            n.removeAttribute("class");
            n.removeAttribute("lang");
            for (const a of [...n.attributes])
                if (/^(on|xmlns|data-)/i.test(a.name))
                    n.removeAttribute(a.name);
            const style = n.style;
            for (const name of [...style]) {
                const value = style.getPropertyValue(name).trim();
                if (/^mso-/.test(name) || value === "initial" || value === "inherit"
                        || (value === "transparent" && /^background/.test(name)))
                    style.removeProperty(name);
            }
            if (n.hasAttribute("style") && !style.length)
                n.removeAttribute("style");
        }
        for (const n of gone)
            n.remove();
        return doc.body.innerHTML.replace(/<!--(?:StartFragment|EndFragment)-->/g, "").trim();
    }

    // Pasted HTML goes in cleaned; plain text as the engine pastes it.
    document.addEventListener("paste", function (e) {
        const html = e.clipboardData && e.clipboardData.getData("text/html");
        if (!html || document.designMode !== "on")
            return;
        e.preventDefault();
        // The engine's insertion splits a paragraph around pasted blocks.
        command("insertHTML", cleanHtml(html));
    });

    window.korvinaLead = {
        serialise: function () { return serialise(); },
        setEditable: function (on) { document.designMode = on ? "on" : "off"; },
        // The document as it is now, and whether it still is the document as loaded.
        state: function () {
            const html = serialise();
            return { edited: edited && html !== initial, html: html, initial: initial };
        },
        // True when the text, parsed, gives the document written as html.
        parsesTo: function (text, html) {
            return serialise(new DOMParser().parseFromString(text, "text/html")) === html;
        },
        length: function () { return serialise().length; },
        command: command,
        indent: indent,
        list: function (ordered) { toggleList(ordered ? "OL" : "UL"); },
        link: link,
        style: styleSelection,
        selectionFont: selectionFont,
        align: align,
        clean: cleanHtml,
        undo: function () { restore(at - 1); },
        redo: function () { restore(at + 1); },
    };
})();
