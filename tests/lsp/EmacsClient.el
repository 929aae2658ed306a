;;; Driven by EmacsClient.sh: Emacs with eglot on `vln lsp`, in batch mode.
;;; Each story's diagnostics must be what `vln check' reports for the file,
;;; and the bytes saved after a rename or a quick fix must be CR LF alone.
;;; Exits 0 when every step worked, else prints the step that did not and
;;; exits 1.
(require 'cl-lib)
(require 'eglot)

(defvar vln-test-program (getenv "VLN"))
(defvar vln-test-folder (getenv "STORIES"))
;; With the README's coding system each buffer must be read as CR LF; with
;; Emacs's own guess the mixed story is read with its CRs in the buffer.
(defvar vln-test-readme (equal (getenv "CONFIG") "readme"))

(defun vln-test-fail (format-string &rest arguments)
  (message "EmacsClient.el (%s): %s" (getenv "CONFIG") (apply #'format format-string arguments))
  (kill-emacs 1))

;; Every story's folder is its project: no version control is needed.
(add-hook 'project-find-functions (lambda (folder) (cons 'transient folder)))

(defvar vln-test-published (make-hash-table :test 'equal))
(cl-defmethod eglot-handle-notification :before
  (_server (_method (eql textDocument/publishDiagnostics)) &key uri diagnostics &allow-other-keys)
  (puthash (file-truename (eglot--uri-to-path uri)) diagnostics vln-test-published))

(defun vln-test-wait (what predicate)
  "Wait for PREDICATE; the limit only keeps a hang from lasting.
WHAT says what did not come: a text, or a function that gives it."
  (let ((limit (+ (float-time) 60)))
    (while (and (not (funcall predicate)) (< (float-time) limit))
      (accept-process-output nil 0.05))
    (or (funcall predicate) (vln-test-fail "no %s" (if (functionp what) (funcall what) what)))))

(defun vln-test-check (file)
  "vln check's findings for FILE, as \"LINE: error|warning: message\"."
  (with-temp-buffer
    (call-process vln-test-program nil t nil "check" file)
    (goto-char (point-min))
    (let (found)
      (while (re-search-forward
              (concat "^" (regexp-quote file) ":\\([0-9]+\\): \\(error\\|warning\\): \\(.*\\)$") nil t)
        (push (format "%s: %s: %s" (match-string 1) (match-string 2) (match-string 3)) found))
      (sort found #'string<))))

(defun vln-test-shown (diagnostics)
  (sort (mapcar (lambda (d)
                  (format "%d: %s: %s"
                          (1+ (plist-get (plist-get (plist-get d :range) :start) :line))
                          (if (eql (plist-get d :severity) 1) "error" "warning")
                          (plist-get d :message)))
                diagnostics)
        #'string<))

(defun vln-test-agrees (file)
  "Whether the last diagnostics for FILE say what vln check says of it: the
same lines, severities and messages (a message may say more after check's)."
  (let ((published (gethash file vln-test-published 'none)))
    (and (not (eq published 'none))
         (let ((shown (vln-test-shown published))
               (checked (vln-test-check file)))
           (and (= (length shown) (length checked))
                (cl-every #'string-prefix-p checked shown))))))

(defun vln-test-open (name)
  (let ((file (file-truename (expand-file-name name vln-test-folder))))
    (remhash file vln-test-published)
    (find-file file)
    (unless (eq major-mode 'vln-mode) (vln-test-fail "%s is not in vln-mode" name))
    (unless (eglot-current-server) (apply #'eglot (eglot--guess-contact)))
    (vln-test-wait (lambda ()
                     (format "diagnostics for %s that agree with vln check: got %S, check says %S" name
                             (vln-test-shown (gethash file vln-test-published)) (vln-test-check file)))
                   (lambda () (vln-test-agrees file)))
    file))

(defun vln-test-dos-p ()
  (eq (coding-system-eol-type buffer-file-coding-system) 1))

(defun vln-test-bytes (file)
  (with-temp-buffer
    (set-buffer-multibyte nil)
    (insert-file-contents-literally file)
    (buffer-string)))

(defun vln-test-saved-as (file want what)
  (save-buffer)
  (let ((bytes (vln-test-bytes file)))
    (unless (equal bytes want) (vln-test-fail "%s saved %S, not %S" what bytes want)))
  (unless (zerop (call-process vln-test-program nil nil nil "check" file))
    (vln-test-fail "vln check finds mistakes in %s after %s" file what))
  (vln-test-wait (format "diagnostics after saving %s" what) (lambda () (vln-test-agrees file))))

(defun vln-test-goto (text)
  (goto-char (point-min))
  (unless (search-forward text nil t) (vln-test-fail "no %S in the buffer" text))
  (goto-char (match-beginning 0)))

;; A CR LF story: as many lines as the file has, go to definition, rename,
;; and the bytes the rename is saved as.
(defun vln-test-crlf ()
  (let ((file (vln-test-open "hoshi-no-eki.vln")))
    (unless (vln-test-dos-p) (vln-test-fail "hoshi-no-eki.vln is not read as CR LF"))
    (vln-test-goto ">>[hashi]")
    (forward-char 3)
    (let* ((found (jsonrpc-request (eglot--current-server-or-lose) :textDocument/definition
                                   (eglot--TextDocumentPositionParams)))
           (location (if (vectorp found) (and (> (length found) 0) (aref found 0)) found))
           (line (and location (plist-get (plist-get (plist-get location :range) :start) :line))))
      (unless (eql line 9) (vln-test-fail "definition of [hashi] gave %S, not line 10" found)))
    (let ((before (vln-test-bytes file)))
      (eglot-rename "[bashi]")
      (vln-test-saved-as file (replace-regexp-in-string "\\[hashi\\]" "[bashi]" before t t)
                         "the rename of [hashi]"))))

;; A Shift-JIS story in kana alone, with one missing target.
(defun vln-test-kana ()
  (vln-test-open "kana.vln")
  (unless (vln-test-dos-p) (vln-test-fail "kana.vln is not read as CR LF"))
  (unless (memq (coding-system-base buffer-file-coding-system) '(japanese-shift-jis cp932))
    (vln-test-fail "kana.vln is read as %s" buffer-file-coding-system)))

;; A CR LF story with one lone LF and a missing target: its quick fixes, and
;; the bytes they are saved as.
(defun vln-test-fix ()
  (let ((file (vln-test-open "mixed.vln")))
    (unless (eq (vln-test-dos-p) vln-test-readme)
      (vln-test-fail "mixed.vln is read with %s" buffer-file-coding-system))
    (dolist (title '("Create the passage" "Turn every lone LF into CR LF"))
      (let* ((actions (jsonrpc-request
                       (eglot--current-server-or-lose) :textDocument/codeAction
                       `(:textDocument ,(eglot--TextDocumentIdentifier)
                         :range (:start ,(eglot--pos-to-lsp-position (point-min))
                                 :end ,(eglot--pos-to-lsp-position (point-max)))
                         :context (:diagnostics []))))
             (action (cl-find-if (lambda (a) (string-prefix-p title (plist-get a :title))) actions)))
        (cond (action (eglot--apply-workspace-edit (plist-get action :edit)))
              ;; Only an editor that keeps CR LF as it is gets the lone LF
              ;; fix: in a CR LF buffer, saving mends the lone LF.
              ((equal title "Create the passage") (vln-test-fail "no quick fix %S" title))
              ((not vln-test-readme) (vln-test-fail "no quick fix %S" title)))))
    (vln-test-saved-as file "[s]Start.\r\nLine two\r\nstill two\r\nGo>>[nowhere]\r\n[nowhere]\r\n"
                       "the quick fixes")))

(let ((ok (condition-case failure
              (progn (dolist (case (split-string (getenv "CASES")))
                       (funcall (intern (concat "vln-test-" case))))
                     t)
            (error (vln-test-fail "%S" failure)))))
  (when ok
    (let ((server (eglot-current-server)))
      (when server (eglot-shutdown server)))
    (kill-emacs 0)))
